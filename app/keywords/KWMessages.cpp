#include "app/keywords/KWMessages.h"

#include <QHash>

QString KWMessages::Text(int id)
{
    static const QHash<int, QString> texts{
        {104, QStringLiteral("Total %1 Lines.")},
        {109, QStringLiteral("Total: %1 keyword(s). ")},
        {110, QStringLiteral("Quintara Keywords")},
        {111, QStringLiteral("Total: >%1 keywords. ")},
        {112, QStringLiteral("Unwilling to perform. Please select keyword.")},
        {113, QStringLiteral("Type keyword you want to find.  Use the asterisk (*) wildcard to "
                             "search for a string of characters ('s*d' finds 'sad' and "
                             "'started').  Use the question (?) represents single character. "
                             "('?ad' finds 'sad' and 'mad')")},
        {114, QStringLiteral("Type word(s). All keywords which contain typed words will be "
                             "selected. (Tip: you can use CTRL+A to fast access to this action)")},
        {129, QStringLiteral("Are you sure you want to delete selected keywords? ")},
        {137, QStringLiteral("Selected keyword is moved into 'Keywords' tab. ")},
        {138, QStringLiteral("Do not show this message again. ")},
        {156, QStringLiteral("Awaiting for rank: %1 keyword(s)")},
        {157, QStringLiteral("Awaiting for rank: >%1 keyword(s)")},
        {164, QStringLiteral("Move Keywords")},
        {165, QStringLiteral("&Group to move keyword(s) to:")},
        {166, QStringLiteral("Add To Group")},
        {167, QStringLiteral("&Group to add keyword(s) to:")},
        {168, QStringLiteral("Are you sure you want to remove selected keywords from this group?")},
        {173, QStringLiteral("Type keyword.")},
        {175, QStringLiteral("Total in group: %1 keyword(s). ")},
        {176, QStringLiteral("Total in group: >%1 keyword(s). ")},
        {185, QStringLiteral("Too many candidate keywords. Use 'Rank Keyword' buttons to keep this "
                             "tab clear")},
        {186, QStringLiteral("Use 'Collect' menu commands to research keywords")},
        {187, QStringLiteral("Make a decision whether to take a certain keyword or to throw it "
                             "away. Use 'Rank Keyword' buttons to clear this tab")},
    };
    return texts.value(id);
}

QString KWMessages::Format(const QString& templ, const QStringList& args)
{
    // One pass, so that a value holding "%2" is not filled again.
    QString text;
    for (qsizetype i = 0; i < templ.size(); ++i) {
        qsizetype j = i + 1;
        int number = 0;
        while (templ.at(i) == QLatin1Char('%') && j < templ.size() && templ.at(j).isDigit() &&
               number * 10 + templ.at(j).digitValue() <= args.size())
            number = number * 10 + templ.at(j++).digitValue();
        if (number >= 1) {
            text += args[number - 1];
            i = j - 1;
        } else {
            text += templ.at(i);
        }
    }
    return text;
}
