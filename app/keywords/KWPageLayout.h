#pragma once

#include <array>

#include <QSize>

#include "app/keywords/KWPageType.h"

class KWIcons;
class QCheckBox;
class QLabel;
class QPushButton;
class QTableView;
class QWidget;

// The keyword page's controls around its grid. Places them: the grid on the left, the command
// column on the right, the total and "Hide Grouped" under the grid, the hint above it on the
// candidates page.
class KWPageLayout {
public:
    struct Controls {
        QTableView* grid = nullptr;
        QLabel* rawIcon = nullptr;
        QLabel* rawDescription = nullptr;
        QLabel* rankKeyword = nullptr;
        QLabel* total = nullptr;
        QCheckBox* hideGrouped = nullptr;
        QCheckBox* rankAdvanced = nullptr;
        QPushButton* add = nullptr;
        QPushButton* get = nullptr;
        std::array<QPushButton*, 6> rank{};
    };

    // Makes the page's controls around the grid, with their captions and tool tips.
    static Controls Build(QWidget* page, QTableView* grid, const KWIcons& icons);
    // The rank buttons of the simple mode (Take and Reject) or of the advanced one (all six).
    static void ShowRankMode(const Controls& c, bool advanced);
    static void Apply(const Controls& c, QSize size, KWPageType pageType, bool advanced);

private:
    static int commandColumnWidth(const Controls& c);
    static void placeRankButtons(const Controls& c, int left, int top, int width, int height,
                                 int step, bool advanced);
};
