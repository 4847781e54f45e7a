#include "app/shell/MMisc.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QStringList>

#include "engine/database/MParser.h"

#include "app/shell/MsgService.h"

namespace {

// A line with blanks keeps only its words that begin with a character of code 65 or above.
QString filterWords(const QString& line)
{
    QStringList kept;
    for (const QString& word : line.split(u' ')) {
        if (!word.isEmpty() && word.at(0).unicode() >= 65)
            kept.append(word);
    }
    return zentrel::MParser::TrimBlanks(kept.join(u' '));
}

} // namespace

int MMisc::ShowMsg(const QString& prompt, int buttons, const QString& title)
{
    return MsgService::showMsg(QApplication::activeWindow(), prompt, buttons, title);
}

QString MMisc::AskInput(const QString& prompt, const QString& title, const QString& defaultText)
{
    return MsgService::askInput(QApplication::activeWindow(), prompt, title, defaultText);
}

QString MMisc::GetClipboardKWs()
{
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (data == nullptr || !data->hasText())
        return {};
    return NormalizeKWList(data->text());
}

QString MMisc::NormalizeKWList(const QString& text)
{
    if (text.isEmpty())
        return {};
    QString all = zentrel::MParser::TrimBlanks(text);
    // Every line end becomes CR; the empty piece that CR LF leaves is skipped below.
    all.replace(u'\n', u'\r');

    QStringList kept;
    for (const QString& raw : all.split(u'\r')) {
        if (raw.isEmpty())
            continue;
        const QString line = zentrel::MParser::TrimBlanks(zentrel::MParser::StripInvisible(raw));
        if (!line.contains(u' ')) {
            kept.append(line);
            continue;
        }
        const QString words = filterWords(line);
        if (!words.isEmpty())
            kept.append(words);
    }
    if (kept.isEmpty())
        return text;
    return kept.join(QStringLiteral("\r\n"));
}

int MMisc::PageIndexFromKey(const QString& key)
{
    static const QStringList keys = {QStringLiteral("Help"),   QStringLiteral("Raw"),
                                     QStringLiteral("KWs"),    QStringLiteral("Groups"),
                                     QStringLiteral("Banned"), QStringLiteral("Downloading")};
    return static_cast<int>(keys.indexOf(key)) + 1;
}
