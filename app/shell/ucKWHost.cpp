#include "app/shell/ucKWHost.h"

#include <QVBoxLayout>

#include "app/keywords/KWProgramServices.h"
#include "app/keywords/KWStore.h"
#include "app/keywords/ucKW.h"
#include "app/shell/FMain.h"
#include "app/shell/FMainKWOwner.h"

ucKWHost::ucKWHost(KWPageType pageType, QWidget* parent)
    : QWidget(parent)
    , m_page(new ucKW(this))
{
    m_page->setPageType(pageType);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_page);
    setFocusProxy(m_page);
}

ucKWHost::~ucKWHost() = default;

void ucKWHost::init(zentrel::Scripting* scripting, std::shared_ptr<zentrel::CLog> log,
                    FMain* ownerForm)
{
    (void)scripting;
    std::unique_ptr<KWStore> store = ownerForm != nullptr ? ownerForm->createKWStore() : nullptr;
    auto services = std::make_unique<KWProgramServices>(std::move(log));
    auto owner = ownerForm != nullptr ? std::make_unique<FMainKWOwner>(ownerForm) : nullptr;
    m_page->init(store.get(), services.get(), owner.get());
    // The page has let go of the earlier ones.
    m_store = std::move(store);
    m_services = std::move(services);
    m_owner = std::move(owner);
}

void ucKWHost::Refresh()
{
    m_page->Refresh();
}

void ucKWHost::MenuEvent(const QString& menuItemId, int index)
{
    m_page->MenuEvent(menuItemId, index);
}

void ucKWHost::Finalize()
{
    m_page->Finalize();
    m_store.reset();
    m_owner.reset();
}

void ucKWHost::SetRankMode(bool setAdvanced)
{
    m_page->SetRankMode(setAdvanced);
}
