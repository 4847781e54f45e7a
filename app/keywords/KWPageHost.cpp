#include "app/keywords/KWPageHost.h"

#include <QVBoxLayout>

#include "app/keywords/DBaserKWStore.h"
#include "app/keywords/KWProgramServices.h"
#include "app/keywords/ucKW.h"
#include "engine/research/Scripting.h"

KWPageHost::KWPageHost(KWPageType pageType, KWOwner* owner, QWidget* parent)
    : QWidget(parent)
    , m_page(new ucKW(this))
    , m_owner(owner)
{
    m_page->setPageType(pageType);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_page);
    setFocusProxy(m_page);
}

KWPageHost::~KWPageHost() = default;

void KWPageHost::init(zentrel::Scripting* scripting, std::shared_ptr<zentrel::CLog> log,
                      FMain* ownerForm)
{
    (void)ownerForm;
    std::unique_ptr<KWStore> store = DBaserKWStore::over(scripting);
    auto services = std::make_unique<KWProgramServices>(std::move(log));
    m_page->init(store.get(), services.get(), m_owner);
    // The page has let go of the earlier ones.
    m_store = std::move(store);
    m_services = std::move(services);
}

void KWPageHost::Refresh()
{
    m_page->Refresh();
}

void KWPageHost::MenuEvent(const QString& menuItemId, int index)
{
    m_page->MenuEvent(menuItemId, index);
}

void KWPageHost::Finalize()
{
    m_page->Finalize();
    m_store.reset();
}

void KWPageHost::SetRankMode(bool setAdvanced)
{
    m_page->SetRankMode(setAdvanced);
}
