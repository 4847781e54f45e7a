#pragma once

#include "app/shell/Tab.h"

// What a keyword page shows. The values are those of the page's stored PageType property; any
// other number shows nothing.
enum class KWPageType : int { Candidates = 0, Keywords = 2, Banned = 3, Group = 4 };

// The main window's tab of a page type; none for a number that is no page type.
constexpr Tab::Number PageTypeToTab(KWPageType type)
{
    switch (type) {
    case KWPageType::Candidates:
        return Tab::Raw;
    case KWPageType::Keywords:
        return Tab::KWs;
    case KWPageType::Banned:
        return Tab::Banned;
    case KWPageType::Group:
        return Tab::Groups;
    }
    return Tab::None;
}
