#pragma once

#include <memory>

#include <QWidget>

#include "app/keywords/KWPageType.h"
#include "app/shell/IVXPage.h"

class KWOwner;
class KWProgramServices;
class KWStore;
class ucKW;

// Hosts a keyword list page in the main window: hands it the keyword store over the engine's
// database object, the program's services and the owner it was made with.
class KWPageHost final : public QWidget, public IVXPage {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KWPageHost)

public:
    KWPageHost(KWPageType pageType, KWOwner* owner, QWidget* parent = nullptr);
    ~KWPageHost() override;

    void init(zentrel::Scripting* scripting, std::shared_ptr<zentrel::CLog> log,
              FMain* ownerForm) override;
    void Refresh() override;
    void MenuEvent(const QString& menuItemId, int index) override;
    void Finalize() override;
    void SetRankMode(bool setAdvanced) override;

    ucKW* kwPage() const { return m_page; }

private:
    ucKW* m_page;
    KWOwner* m_owner;
    std::unique_ptr<KWStore> m_store;
    std::unique_ptr<KWProgramServices> m_services;
};
