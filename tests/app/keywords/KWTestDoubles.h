#pragma once

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <ostream>

#include <QDialog>
#include <QFile>
#include <QHash>
#include <QSet>

#include "app/keywords/KWOwner.h"
#include "app/keywords/KWServices.h"
#include "app/keywords/KWStore.h"
#include "app/keywords/ucKW.h"
#include "engine/platform/ZError.h"

// Readable QString values in failure messages.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace kwtest {

// Boxes, dialogs and settings answered from a script; files are real.
class ScriptedServices final : public KWServices {
public:
    struct LogEntry {
        std::int32_t number;
        QString text;
        int level;
        QString source;
    };
    struct Shown {
        QString prompt;
        int style;
    };

    std::vector<LogEntry> log;
    std::vector<Shown> messages;
    std::vector<QString> prompts;
    std::deque<int> msgAnswers; // default OK
    std::deque<QString> inputs; // default empty
    std::function<void(QDialog&)> onDialog = [](QDialog& d) { d.reject(); };
    std::deque<bool> singleTimeAnswers;
    int singleTimeShown = 0;
    QString saveAs;
    QString clipboard;
    QString tempFolder;
    QStringList opened;
    std::map<QString, QString> settings;
    int failWrites = 0;

    void Write(std::int32_t number, const QString& text, int level, const QString& source) override
    {
        log.push_back({number, text, level, source});
    }
    int ShowMsg(const QString& prompt, int style, const QString&) override
    {
        messages.push_back({prompt, style});
        if (msgAnswers.empty())
            return OK;
        const int answer = msgAnswers.front();
        msgAnswers.pop_front();
        return answer;
    }
    QString AskInput(const QString& prompt, const QString&, const QString& defaultText) override
    {
        prompts.push_back(prompt);
        lastDefault = defaultText;
        if (inputs.empty())
            return {};
        QString answer = inputs.front();
        inputs.pop_front();
        return answer;
    }
    QString lastDefault;
    int ExecDialog(QDialog& dialog) override
    {
        dialog.show();
        onDialog(dialog);
        dialog.hide();
        return dialog.result();
    }
    bool ShowSingleTimeMsg(QWidget*, const QString& text) override
    {
        ++singleTimeShown;
        lastSingleTime = text;
        if (singleTimeAnswers.empty())
            return false;
        const bool ticked = singleTimeAnswers.front();
        singleTimeAnswers.pop_front();
        return ticked;
    }
    QString lastSingleTime;
    QString SaveFileName(QWidget*, const QString&) override { return saveAs; }
    QString TempFileName(const QString& prefix, const QString& extension) override
    {
        return tempFolder + QLatin1Char('/') + prefix + QString::number(++tempCount) +
               QLatin1Char('.') + extension;
    }
    int tempCount = 0;
    void WriteFile(const QString& path, const QString& text) override
    {
        if (failWrites > 0) {
            --failWrites;
            throw zentrel::ZError(zentrel::objectError(1), QStringLiteral("Disk full"), "test");
        }
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw zentrel::ZError(zentrel::objectError(2), file.errorString(), "test");
        file.write(text.toUtf8());
    }
    void OpenInBrowser(const QString& path, const QString&) override { opened << path; }
    void SetClipboardText(const QString& text) override { clipboard = text; }
    bool ReadString(const QString& key, const QString& name, QString& value) override
    {
        const auto it = settings.find(key + name);
        if (it == settings.end())
            return false;
        value = it->second;
        return true;
    }
    void WriteString(const QString& key, const QString& name, const QString& value) override
    {
        settings[key + name] = value;
    }
    bool ReadLong(const QString& key, const QString& name, std::int32_t& value) override
    {
        QString text;
        if (!ReadString(key, name, text))
            return false;
        value = text.toInt();
        return true;
    }
    void WriteLong(const QString& key, const QString& name, std::int32_t value) override
    {
        WriteString(key, name, QString::number(value));
    }
    bool logged(const QString& source) const
    {
        return std::any_of(log.begin(), log.end(),
                           [&](const LogEntry& e) { return e.source == source; });
    }
};

// A keyword store in memory with the store's orders.
class MemoryStore final : public KWStore {
public:
    struct Row {
        KWRecord record;
        QSet<int> groups;
    };
    std::vector<Row> rows;
    QString fileName = QStringLiteral("/projects/test.vxp");
    int fetches = 0;

    int add(const QString& kw, int searches, int relevancy)
    {
        const int id = static_cast<int>(rows.size()) + 1;
        rows.push_back({{id, kw, searches, relevancy}, {}});
        return id;
    }
    Row* find(int id)
    {
        for (Row& row : rows)
            if (row.record.id == id)
                return &row;
        return nullptr;
    }
    KWRecords getKWsEx(const Query& query) override
    {
        ++fetches;
        std::vector<const Row*> picked;
        for (const Row& row : rows) {
            const int r = row.record.relevancy;
            bool take = false;
            if (query.forGroup)
                take = row.groups.contains(query.groupId) && r > 0;
            else if (query.kind == kwk_raw)
                take = r < 0;
            else if (query.kind == kwk_kws)
                take = r > 0 && (!query.excludeGrouped || row.groups.isEmpty());
            else if (query.kind == kwk_banned)
                take = r == 0;
            if (take)
                picked.push_back(&row);
        }
        std::stable_sort(picked.begin(), picked.end(), [&](const Row* a, const Row* b) {
            if (query.kind == kwk_kws && !query.forGroup &&
                a->record.relevancy != b->record.relevancy)
                return a->record.relevancy > b->record.relevancy;
            if (a->record.searches != b->record.searches)
                return a->record.searches > b->record.searches;
            return a->record.id < b->record.id;
        });
        KWRecords result;
        for (const Row* row : picked) {
            if (!query.all && static_cast<int>(result.size()) >= query.maxCount)
                break;
            result.push_back(row->record);
        }
        return result;
    }
    void SetRelevancy(const QList<int>& ids, int relevancy) override
    {
        for (const int id : ids)
            if (Row* row = find(id))
                row->record.relevancy = relevancy;
        setRelevancyCalls.push_back({ids, relevancy});
    }
    std::vector<std::pair<QList<int>, int>> setRelevancyCalls;
    void DeleteKWs(const QList<int>& ids) override
    {
        std::erase_if(rows, [&](const Row& row) { return ids.contains(row.record.id); });
    }
    bool updateResult = true;
    bool UpdateKW(const QString& kw) override
    {
        updated << kw;
        return updateResult;
    }
    QStringList updated;
    void AddToGroup(const QList<int>& ids, int groupId) override
    {
        for (const int id : ids)
            if (Row* row = find(id))
                row->groups.insert(groupId);
    }
    void MoveToGroup(const QList<int>& ids, int from, int to) override
    {
        for (const int id : ids)
            if (Row* row = find(id)) {
                row->groups.remove(from);
                row->groups.insert(to);
            }
    }
    void RemoveFromGroup(const QList<int>& ids, int groupId) override
    {
        for (const int id : ids)
            if (Row* row = find(id))
                row->groups.remove(groupId);
    }
    QString ProjectDBFilename() const override { return fileName; }
};

// The main window's side: tabs mapped to pages.
class PagesOwner : public KWOwner {
public:
    std::map<int, ucKW*> tabs;
    std::vector<int> refreshed;
    QString panel1Text;
    QIcon panel1;
    QIcon saved = QIcon(QPixmap(4, 4));
    QIcon attention = QIcon(QPixmap(8, 8));
    std::deque<std::pair<int, int>> picks; // group, relevancy; empty: cancelled
    std::vector<QString> pickCaptions;
    QStringList collected;
    std::vector<std::pair<QString, int>> openedSE;
    bool advanced = false;

    void RefreshTab(int tab) override
    {
        refreshed.push_back(tab);
        if (const auto it = tabs.find(tab); it != tabs.end())
            it->second->Refresh();
    }
    void SetRankMode(bool on) override
    {
        advanced = on;
        for (auto& [tab, page] : tabs)
            page->SetRankMode(on);
    }
    QIcon Panel1Picture() const override { return saved; }
    QIcon Panel4Picture() const override { return attention; }
    void SetPanel1(const QString& text, const QIcon& picture) override
    {
        panel1Text = text;
        panel1 = picture;
    }
    bool PickGroup(QWidget*, const QString& caption, const QString&, bool, int& group,
                   int& relevancy) override
    {
        pickCaptions.push_back(caption);
        if (picks.empty())
            return false;
        group = picks.front().first;
        relevancy = picks.front().second;
        picks.pop_front();
        return true;
    }
    void Collect(const QString& command) override { collected << command; }
    void CollectBySelectedKeyword(const QString& kw) override
    {
        collected << QStringLiteral("SER:") + kw;
    }
    void OpenSERForKW(const QString& kw, int engine) override { openedSE.push_back({kw, engine}); }
};

} // namespace kwtest
