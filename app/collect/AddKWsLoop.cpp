#include "app/collect/AddKWsLoop.h"

#include "app/collect/CollectOwner.h"
#include "app/collect/WaitCursor.h"
#include "app/keywords/FAddKWs.h"
#include "app/shell/MStrings.h"
#include "app/shell/MsgService.h"
#include "engine/database/DBaser.h"
#include "engine/platform/CAttributes.h"
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

} // namespace

AddKWsLoop::AddKWsLoop(CollectOwner& OwnerForm, zentrel::CLogPtr Log, zentrel::DBaser& DBaser)
    : m_owner(OwnerForm)
    , m_services(std::move(Log))
    , m_dbaser(DBaser)
{
}

void AddKWsLoop::Run(Source source, const QString& text)
{
    FAddKWs dialog(m_owner.Window());
    dialog.init(&m_services, text);
    // Pages 3 to 5 change only when some pass stored keywords with a rank.
    bool anyRanked = false;
    for (bool firstPass = true;; firstPass = false) {
        dialog.exec();
        if (!dialog.OKPressed())
            break;
        zentrel::CKeyedCollection kws = dialog.KWs();
        // Only a first paste pass left empty stored nothing to show.
        if (source == Source::Paste && kws.Count() == 0) {
            if (firstPass)
                return;
            break;
        }
        zentrel::CDataNode operation;
        operation.Attributes().Add(QStringLiteral("Description"),
                                   QStringLiteral("Manual Addition"));
        zentrel::CKeyedCollection rejected;
        {
            const WaitCursor wait;
            if (dialog.SetRank()) {
                anyRanked = true;
                zentrel::CAttributes params;
                params.Add(QStringLiteral("CS_SET_RANK"), true);
                params.Add(QStringLiteral("CS_SET_RANK_TO"), dialog.SelectedRank());
                rejected = m_dbaser.AddKWsEx(kws, operation, &params);
            } else {
                rejected = m_dbaser.AddKWs(kws, operation);
            }
        }
        if (rejected.Count() == 0)
            break;
        MsgService::showMsg(m_owner.Window(),
                            MStrings::format(kRejectedMessage, {QString::number(rejected.Count())}),
                            MsgService::Exclamation);
        dialog.setText(joined(rejected));
    }
    m_owner.RefreshTab(2);
    if (anyRanked) {
        for (const int tab : {3, 4, 5})
            m_owner.RefreshTab(tab);
    }
}
