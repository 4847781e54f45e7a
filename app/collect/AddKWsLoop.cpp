#include "app/collect/AddKWsLoop.h"

#include <QPointer>
#include <QScopeGuard>
#include <QWindow>

#include "app/collect/CollectOwner.h"
#include "app/keywords/FAddKWs.h"
#include "app/shell/LoggingGuard.h"
#include "app/shell/MsgService.h"
#include "app/shell/StringTable.h"
#include "app/shell/Tab.h"
#include "app/shell/WaitCursor.h"
#include "engine/database/DBaser.h"
#include "engine/platform/CDataNode.h"

namespace {

constexpr int kRejectedMessage = 101;

QString joined(const zentrel::CKeyedCollection& keywords)
{
    QString text;
    for (const QVariant& kw : keywords)
        text += kw.toString() + QStringLiteral("\r\n");
    return text;
}

// The command's source in the log.
QString commandSource(AddKWsLoop::Source source)
{
    switch (source) {
    case AddKWsLoop::Source::Paste:
        return QStringLiteral("MMisc.PasteKWs");
    case AddKWsLoop::Source::ByHand:
        return QStringLiteral("MMisc.AddKeywords");
    case AddKWsLoop::Source::TextFile:
        break;
    }
    return QStringLiteral("MMisc.ImportKWs");
}

// A window that is closed takes the dialog down with it, as it would a destroyed window.
void closeWithWindow(QWidget& window, FAddKWs& dialog)
{
    QWindow* handle = window.window()->windowHandle();
    if (handle == nullptr)
        return;
    QObject::connect(handle, &QWindow::visibleChanged, &dialog, [&dialog](bool visible) {
        if (!visible)
            dialog.reject();
    });
}

} // namespace

AddKWsLoop::AddKWsLoop(CollectOwner& OwnerForm, zentrel::CLogPtr Log, zentrel::DBaser& DBaser)
    : m_owner(OwnerForm)
    , m_services(std::move(Log))
    , m_dbaser(DBaser)
{
}

void AddKWsLoop::Run(Source source, const QString& text)
{
    // The window owns the dialog and may go while it shows (a session's logout closes every
    // window); the loop then ends at once, touching neither the window nor the engine.
    const QPointer<QWidget> window = m_owner.Window();
    const QPointer<FAddKWs> dialog = new FAddKWs(window);
    const auto release = qScopeGuard([&dialog] { delete dialog.data(); });
    const bool watched = window && window->isVisible();
    if (watched)
        closeWithWindow(*window, *dialog);
    const auto gone = [&] {
        return dialog.isNull() || (watched && (window.isNull() || !window->isVisible()));
    };
    dialog->init(&m_services, text);
    // Pages 3 to 5 change only when some pass stored keywords with a rank.
    bool anyRanked = false;
    for (bool firstPass = true;; firstPass = false) {
        dialog->exec();
        if (gone())
            return;
        if (!dialog->OKPressed())
            break;
        const zentrel::CKeyedCollection kws = dialog->KWs();
        // Only a first paste pass left empty stored nothing to show.
        if (source == Source::Paste && kws.Count() == 0) {
            if (firstPass)
                return;
            break;
        }
        std::optional<zentrel::CKeyedCollection> rejected = store(*dialog, kws, source);
        if (gone())
            return;
        if (!rejected)
            continue; // the text is still in the dialog, for another try
        if (dialog->SetRank())
            anyRanked = true;
        if (rejected->Count() == 0)
            break;
        MsgService::showMsg(
            window, StringTable::format(kRejectedMessage, {QString::number(rejected->Count())}),
            MsgService::Exclamation);
        if (gone())
            return;
        dialog->setText(joined(*rejected));
    }
    m_owner.RefreshTab(Tab::Raw);
    if (anyRanked) {
        for (const Tab::Number tab : {Tab::KWs, Tab::Groups, Tab::Banned})
            m_owner.RefreshTab(tab);
    }
}

std::optional<zentrel::CKeyedCollection>
AddKWsLoop::store(const FAddKWs& dialog, const zentrel::CKeyedCollection& kws, Source source)
{
    zentrel::CDataNode operation;
    operation.Attributes().Add(QStringLiteral("Description"), QStringLiteral("Manual Addition"));
    try {
        const WaitCursor wait;
        if (!dialog.SetRank())
            return m_dbaser.AddKWs(kws, operation);
        zentrel::KeywordOptions options;
        options.rank = dialog.SelectedRank();
        return m_dbaser.AddKWsEx(kws, operation, options);
    } catch (const zentrel::ZError& error) {
        LoggingGuard(LoggingGuard::writerOf(m_services.log()), 4, commandSource(source))
            .write(error);
        MsgService::showMsg(m_owner.Window(),
                            QStringLiteral("Cannot store the keywords. ") + error.description(),
                            MsgService::Exclamation);
        return std::nullopt;
    }
}
