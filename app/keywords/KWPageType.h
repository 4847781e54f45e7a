#pragma once

// What a keyword page shows. The values are those of the page's stored PageType property; any
// other number shows nothing.
enum class KWPageType : int { Candidates = 0, Keywords = 2, Banned = 3, Group = 4 };

// The main window's tab of a page type; 0 for a number that is no page type.
constexpr int PageTypeToTab(KWPageType type)
{
    switch (type) {
    case KWPageType::Candidates:
        return 2;
    case KWPageType::Keywords:
        return 3;
    case KWPageType::Banned:
        return 5;
    case KWPageType::Group:
        return 4;
    }
    return 0;
}
