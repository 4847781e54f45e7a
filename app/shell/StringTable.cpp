#include "app/shell/StringTable.h"

#include <QHash>

#include "engine/platform/CUtilities.h"

namespace {

struct Entry {
    int id;
    const char16_t* text;
};

// clang-format off
constexpr Entry kTable[] = {
    {101, u"Cannot add %1 keywords. Please remove inappropriate symbols and try again. "},
    {102, u"File '%1' not found. "},
    {103, u"Cannot find any keywords in clipboard. "},
    {104, u"Total %1 Lines."},
    {106, u"Invalid web site name '%1'. "},
    {107, u"Invalid URL '%1'. "},
    {109, u"Total: %1 keyword(s). "},
    {110, u"Quintara Keywords"},
    {111, u"Total: >%1 keywords. "},
    {112, u"Unwilling to perform. Please select keyword."},
    {113, u"Type keyword you want to find.  Use the asterisk (*) wildcard to search for a string of characters ('s*d' finds 'sad' and 'started').  Use the question (?) represents single character. ('?ad' finds 'sad' and 'mad')"},
    {114, u"Type word(s). All keywords which contain typed words will be selected. (Tip: you can use CTRL+A to fast access to this action)"},
    {115, u"Total: %1 downloads"},
    {116, u"Complete: %1 downloads"},
    {117, u"Type keyword or phrase. Quintara Keywords will collect keywords from pages found with it.\nIf you want to get keywords from pages found by several keywords please repeat this operation. "},
    {121, u" Press 'Retry' to retry, 'Ignore' to open the default database, 'Abort' to exit Quintara Keywords. "},
    {122, u" Press 'Retry' to retry, 'Cancel' to exit Quintara Keywords. "},
    {123, u"First Project"},
    {124, u"Default Cache"},
    {125, u" Press 'Retry' to retry, 'Ignore' to open '%1' database, 'Abort' to exit Quintara Keywords. "},
    {126, u"File '%1' already exists. Are you sure you want overwrite it? "},
    {127, u"File '%1' not found. "},
    {128, u"File '%1' not found. Do you want to create a new keywords database? "},
    {129, u"Are you sure you want to delete selected keywords? "},
    {130, u"Type web site URL."},
    {131, u"Type web page URL."},
    {133, u"Type word(s) to filter database data. Example: the 'soft' retrieves the 'software' as well as 'www.softwarelist.com' (if they are in database, of cause)."},
    {134, u"Type word(s) to filter database data. Example: the 'soft' retrieves the 'software' as well as 'www.softwarelist.com' (if they are in database, of cause). The 'mail talk' retrieves the 'E-mail Talker' as well as the 'Talking mails'."},
    {137, u"Selected keyword is moved into 'Keywords' tab. "},
    {138, u"Do not show this message again. "},
    {140, u"Downloading %1 pages now"},
    {141, u"Please provide your name. "},
    {142, u"Please provide your e-mail. "},
    {143, u"Question cannot be empty. "},
    {144, u"Cannot send question. Ensure you are online now. "},
    {145, u"Suggestion cannot be empty. "},
    {146, u"Cannot send suggestion. Ensure you are online now. "},
    {147, u"Problem description cannot be empty. "},
    {148, u"Cannot send problem description. Ensure you are online now. "},
    {149, u"Please provide your location. "},
    {150, u"Testimonial cannot be empty. "},
    {151, u"Cannot send testimonial. Ensure you are online now. "},
    {152, u"Your question has been sent successfully. "},
    {153, u"Your suggestion has been sent successfully. "},
    {154, u"Your problem description has been sent successfully. "},
    {155, u"Your testimonial has been sent successfully. "},
    {156, u"Awaiting for rank: %1 keyword(s)"},
    {157, u"Awaiting for rank: >%1 keyword(s)"},
    {159, u"Type new subgroup name. "},
    {160, u"You cannot delete group which has subgroups. "},
    {161, u"Type new name for group '%1'. "},
    {162, u"Are you sure you want to delete group '%1'?"},
    {163, u"No group is selected. "},
    {164, u"Move Keywords"},
    {165, u"&Group to move keyword(s) to:"},
    {166, u"Add To Group"},
    {167, u"&Group to add keyword(s) to:"},
    {168, u"Are you sure you want to remove selected keywords from this group?"},
    {169, u"Move Group"},
    {170, u"Select &group you wish to move selected group to:"},
    {171, u"Type new group name. "},
    {173, u"Type keyword."},
    {174, u"No groups found. Type new group name. "},
    {175, u"Total in group: %1 keyword(s). "},
    {176, u"Total in group: >%1 keyword(s). "},
    {177, u"No keywords found for filter '%1'. "},
    {178, u"You should create group before moving subgroups to. "},
    {181, u"Thank you. "},
    {182, u"The operation could not be completed. Ensure that you are online now. "},
    {183, u"The reason cannot be empty. "},
    {184, u"Type Word(s) To Filter Data"},
    {185, u"Too many candidate keywords. Use 'Rank Keyword' buttons to keep this tab clear"},
    {186, u"Use 'Collect' menu commands to research keywords"},
    {187, u"Make a decision whether to take a certain keyword or to throw it away. Use 'Rank Keyword' buttons to clear this tab"},
    {188, u"&Pause Auto Keyword Research"},
    {189, u"&Resume Auto Keyword Research"},
    {190, u"Are you sure you want to refresh searches counts?"},
    {191, u"Searches counts are cleaned up sucessfully."},
    {1025, u"Cannot contact. "},
};
// clang-format on

const QHash<int, QString>& table()
{
    static const QHash<int, QString> messages = [] {
        QHash<int, QString> result;
        for (const Entry& entry : kTable)
            result.insert(entry.id, QString::fromUtf16(entry.text));
        return result;
    }();
    return messages;
}

} // namespace

QString StringTable::text(int id)
{
    return table().value(id);
}

bool StringTable::contains(int id)
{
    return table().contains(id);
}

QString StringTable::format(int id, const QStringList& args)
{
    return zentrel::CUtilities::Format(text(id), args);
}
