#include "app/collect/CollectCommands.h"

#include <QHash>

#include "app/collect/MMisc.h"
#include "engine/research/Scripting.h"

namespace {

using Command = void (*)(CollectCommands&, const zentrel::CLogPtr&, zentrel::Scripting&);

const QHash<QString, Command>& commands()
{
    static const QHash<QString, Command> table = {
        {QStringLiteral("mnuPaste"),
         [](CollectCommands& owner, const zentrel::CLogPtr& log, zentrel::Scripting& engine) {
             MMisc::PasteKWs(owner, log, engine);
         }},
        {QStringLiteral("mnuAddKeywords"),
         [](CollectCommands& owner, const zentrel::CLogPtr& log, zentrel::Scripting& engine) {
             MMisc::AddKeywords(log, engine, owner);
         }},
        {QStringLiteral("mnuImportKeywords"),
         [](CollectCommands& owner, const zentrel::CLogPtr& log, zentrel::Scripting& engine) {
             MMisc::ImportKWs(log, engine, owner);
         }},
        {QStringLiteral("mnuPickFromLocalPage"),
         [](CollectCommands& owner, const zentrel::CLogPtr& log, zentrel::Scripting& engine) {
             MMisc::ImportFromLocalPage(owner, log, engine);
         }},
        {QStringLiteral("mnuPickFromURL"),
         [](CollectCommands&, const zentrel::CLogPtr& log, zentrel::Scripting& engine) {
             MMisc::ImportFromURL(log, engine);
         }},
        {QStringLiteral("mnuCollectFromWebsite"),
         [](CollectCommands&, const zentrel::CLogPtr& log, zentrel::Scripting& engine) {
             MMisc::ImportFromSite(log, engine);
         }},
        {QStringLiteral("mnuCollectFromPagesByKW"),
         [](CollectCommands&, const zentrel::CLogPtr& log, zentrel::Scripting& engine) {
             MMisc::ImportFromGoogle(log, engine);
         }},
        {QStringLiteral("mnuImportFromCache"),
         [](CollectCommands& owner, const zentrel::CLogPtr& log, zentrel::Scripting& engine) {
             MMisc::ImportFromCache(log, engine, owner);
         }},
    };
    return table;
}

} // namespace

CollectCommands::CollectCommands(QWidget* window, std::function<void(Tab::Number)> refreshTab)
    : m_window(window)
    , m_refreshTab(std::move(refreshTab))
{
}

bool CollectCommands::Handles(const QString& menu)
{
    return commands().contains(menu);
}

bool CollectCommands::Run(const QString& menu, const zentrel::CLogPtr& log,
                          zentrel::Scripting* scripting)
{
    const Command command = commands().value(menu);
    if (command == nullptr)
        return false;
    if (scripting == nullptr) {
        if (log)
            log->Write(static_cast<std::int32_t>(zentrel::kUnexpected),
                       QStringLiteral("The engine is not running."), 4,
                       QStringLiteral("CollectCommands.Run"));
        return true;
    }
    command(*this, log, *scripting);
    return true;
}
