#pragma once

#include <memory>

#include <QPointer>

#include "app/keywords/KWStore.h"

namespace zentrel {
class DBaser;
class Scripting;
} // namespace zentrel

// The keyword store of the keyword pages over the engine's master database object.
class DBaserKWStore final : public KWStore {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DBaserKWStore)

public:
    explicit DBaserKWStore(zentrel::DBaser* dbaser, QObject* parent = nullptr);
    // The store over the engine's database object; null without an engine or its database.
    static std::unique_ptr<KWStore> over(const zentrel::Scripting* scripting);

    KWRecords getKWsEx(const Query& query) override;
    void SetRelevancy(const QList<int>& ids, int relevancy) override;
    void DeleteKWs(const QList<int>& ids) override;
    bool UpdateKW(const QString& kw) override;
    void AddToGroup(const QList<int>& ids, int groupId) override;
    void MoveToGroup(const QList<int>& ids, int fromGroupId, int toGroupId) override;
    void RemoveFromGroup(const QList<int>& ids, int groupId) override;
    QString ProjectDBFilename() const override;

private:
    zentrel::DBaser& dbaser() const;

    QPointer<zentrel::DBaser> m_dbaser;
};
