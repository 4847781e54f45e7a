#pragma once

#include <QList>
#include <QObject>

#include "app/keywords/KWRecord.h"

// The keyword store as the keyword pages use it: listing by kind or group, ranking, deleting,
// respelling and grouping, and the store's change events.
class KWStore : public QObject {
    Q_OBJECT

public:
    enum Kind { kwk_raw = 0, kwk_kws = 1, kwk_banned = 2 };

    struct Query {
        int kind = kwk_raw;
        int maxCount = 1000;
        bool all = false; // no row limit
        bool excludeGrouped = false;
        bool forGroup = false; // the ranked keywords of the group groupId; kind is ignored
        int groupId = 0;
    };

    using QObject::QObject;

    virtual KWRecords getKWsEx(const Query& query) = 0;
    virtual void SetRelevancy(const QList<int>& ids, int relevancy) = 0;
    virtual void DeleteKWs(const QList<int>& ids) = 0;
    virtual bool UpdateKW(const QString& kw) = 0;
    virtual void AddToGroup(const QList<int>& ids, int groupId) = 0;
    virtual void MoveToGroup(const QList<int>& ids, int fromGroupId, int toGroupId) = 0;
    virtual void RemoveFromGroup(const QList<int>& ids, int groupId) = 0;
    virtual QString ProjectDBFilename() const = 0;

signals:
    void NewKws();
    void NewOvertureCounts();
};
