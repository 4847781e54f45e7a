#include "app/ProgramWiring.h"

#include <QApplication>
#include <QCoreApplication>

#include "app/collect/CollectCommands.h"
#include "app/collect/MainWindowKWOwner.h"
#include "app/collect/ucDLoad.h"
#include "app/collect/ucGroups.h"
#include "app/feedback/ContactMenu.h"
#include "app/feedback/FSendInfo.h"
#include "app/keywords/KWPageHost.h"
#include "app/keywords/KWPageType.h"
#include "app/shell/FMain.h"
#include "app/shell/ucHelp.h"

ProgramWiring::ProgramWiring() = default;

ProgramWiring::~ProgramWiring() = default;

MMain::Hooks ProgramWiring::hooks()
{
    return {[this](FMain& window) { wire(window); }, &ProgramWiring::RunSurvey};
}

void ProgramWiring::wire(FMain& window)
{
    m_owner = std::make_unique<MainWindowKWOwner>(&window);
    window.setPageFactory(
        [this](Tab::Number number, QWidget* parent) { return createPage(number, parent); });
    window.setCommandHandler([&window](const QString& menu) { runCommand(window, menu); });
}

QWidget* ProgramWiring::createPage(Tab::Number number, QWidget* parent) const
{
    switch (number) {
    case Tab::Help:
        return new ucHelp(parent);
    case Tab::Raw:
        return new KWPageHost(KWPageType::Candidates, m_owner.get(), parent);
    case Tab::KWs:
        return new KWPageHost(KWPageType::Keywords, m_owner.get(), parent);
    case Tab::Groups:
        return new ucGroups(m_owner.get(), parent);
    case Tab::Banned:
        return new KWPageHost(KWPageType::Banned, m_owner.get(), parent);
    case Tab::Downloading:
        return new ucDLoad(parent);
    default:
        return nullptr;
    }
}

void ProgramWiring::runCommand(FMain& window, const QString& menu)
{
    if (ContactMenu::Run(menu, &window, window.Log()))
        return;
    CollectCommands collect(&window, [&window](Tab::Number tab) { window.RefreshTab(tab); });
    collect.Run(menu, window.Log(), window.scripting());
}

int ProgramWiring::RunSurvey(const std::shared_ptr<zentrel::CLog>& log)
{
    FSendInfo survey;
    survey.init(log);
    QObject::connect(&survey, &FSendInfo::EndProgram, qApp, [] { QCoreApplication::quit(); });
    survey.show();
    return QApplication::exec();
}
