// The collection commands that store keywords before they return: clipboard, typing, text files
// and local pages.
#include "app/collect/AddKWsLoop.h"
#include "app/collect/CollectOwner.h"
#include "app/collect/EngineParts.h"
#include "app/collect/KWFileLoader.h"
#include "app/collect/MMisc.h"
#include "app/shell/LoggingGuard.h"
#include "app/shell/MMisc.h"
#include "app/shell/MsgService.h"
#include "app/shell/StringTable.h"
#include "app/shell/Tab.h"
#include "engine/platform/CFileUtilities.h"
#include "engine/research/CSEContacter.h"
#include "engine/research/Scripting.h"

using zentrel::CLogPtr;
using zentrel::Scripting;

namespace {

constexpr int kFileNotFound = 102;
constexpr int kEmptyClipboard = 103;

const QString kPageFilter = QStringLiteral("Web Page (*.htm, *.html)|*.htm*");
const QString kKeywordFileFilter = QStringLiteral(
    "Text Document (*.txt)|*.txt|Web Page (*.htm, *.html)|*.htm*|All Files (*.*)|*.*");

// The chosen file, or empty after Cancel or when the file does not exist (message 102 shown).
QString chooseExistingFile(CollectOwner& owner, const QString& title, const QString& filter)
{
    const QString path = MsgService::openFileName(owner.Window(), title, filter, {});
    if (path.isEmpty())
        return {};
    if (!zentrel::CFileUtilities::FileExists(path)) {
        MsgService::showMsg(owner.Window(), StringTable::format(kFileNotFound, {path}),
                            MsgService::Exclamation);
        return {};
    }
    return path;
}

void loadLocalPage(CollectOwner& owner, Scripting& scripting, const QString& path)
{
    if (KWFileLoader(owner.Window()).RefusesPage(path))
        return;
    EngineParts::SEContacter(scripting).LoadFromPage(path, false);
    owner.RefreshTab(Tab::Raw);
}

bool isPageFile(const QString& path)
{
    const QString lower = path.toLower();
    return lower.endsWith(QStringLiteral(".htm")) || lower.endsWith(QStringLiteral(".html"));
}

} // namespace

void MMisc::PasteKWs(CollectOwner& OwnerForm, const CLogPtr& Log, Scripting& Scripting) noexcept
{
    const LoggingGuard guard(LoggingGuard::writerOf(Log), 4, QStringLiteral("MMisc.PasteKWs"),
                             LoggingGuard::kUnexpected);
    guard.run([&] {
        const QString text = GetClipboardKWs();
        if (text.isEmpty()) {
            MsgService::showMsg(OwnerForm.Window(), StringTable::text(kEmptyClipboard),
                                MsgService::Exclamation);
            return;
        }
        AddKWsLoop(OwnerForm, Log, EngineParts::DBaser(Scripting))
            .Run(AddKWsLoop::Source::Paste, text);
    });
}

void MMisc::AddKeywords(const CLogPtr& Log, Scripting& Scripting, CollectOwner& OwnerForm) noexcept
{
    const LoggingGuard guard(LoggingGuard::writerOf(Log), 4, QStringLiteral("MMisc.AddKeywords"),
                             LoggingGuard::kUnexpected);
    guard.run([&] {
        AddKWsLoop(OwnerForm, Log, EngineParts::DBaser(Scripting))
            .Run(AddKWsLoop::Source::ByHand, {});
    });
}

void MMisc::ImportKWs(const CLogPtr& Log, Scripting& Scripting, CollectOwner& OwnerForm) noexcept
{
    const LoggingGuard guard(LoggingGuard::writerOf(Log), 4, QStringLiteral("MMisc.ImportKWs"),
                             LoggingGuard::kUnexpected);
    guard.run([&] {
        const QString path =
            chooseExistingFile(OwnerForm, QStringLiteral("Import Keywords"), kKeywordFileFilter);
        if (path.isEmpty())
            return;
        if (isPageFile(path)) {
            loadLocalPage(OwnerForm, Scripting, path);
            return;
        }
        const std::optional<QString> text = KWFileLoader(OwnerForm.Window()).Load(path);
        if (!text)
            return;
        AddKWsLoop(OwnerForm, Log, EngineParts::DBaser(Scripting))
            .Run(AddKWsLoop::Source::TextFile, *text);
    });
}

void MMisc::ImportFromLocalPage(CollectOwner& OwnerForm, const CLogPtr& Log,
                                Scripting& Scripting) noexcept
{
    const LoggingGuard guard(LoggingGuard::writerOf(Log), 4,
                             QStringLiteral("MMisc.ImportFromLocalPage"),
                             LoggingGuard::kUnexpected);
    guard.run([&] {
        const QString path = chooseExistingFile(
            OwnerForm, QStringLiteral("Import Keywords from Local Page"), kPageFilter);
        if (!path.isEmpty())
            loadLocalPage(OwnerForm, Scripting, path);
    });
}
