#include "app/keywords/KWPageLayout.h"

#include <algorithm>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTableView>

#include "app/keywords/KWIcons.h"

namespace {

// Design measures are in twips, 15 to a pixel.
constexpr int px(int twips)
{
    return twips / 15;
}

} // namespace

KWPageLayout::Controls KWPageLayout::Build(QWidget* page, QTableView* grid, const KWIcons& icons)
{
    Controls c;
    c.grid = grid;
    c.rawIcon = new QLabel(page);
    c.rawDescription = new QLabel(page);
    c.rankKeyword = new QLabel(QStringLiteral("Rank Keyword:"), page);
    c.total = new QLabel(page);
    c.hideGrouped = new QCheckBox(QStringLiteral("Hi&de Grouped Keywords"), page);
    c.rankAdvanced = new QCheckBox(QStringLiteral("Ad&vanced"), page);
    c.add = new QPushButton(QStringLiteral("&Add..."), page);
    c.get = new QPushButton(QStringLiteral("C&ollect..."), page);
    c.rawIcon->setPixmap(icons.pixmap(QStringLiteral("E4")).scaled(24, 24));
    c.rawDescription->setWordWrap(true);
    c.add->setToolTip(QStringLiteral("Add Keywords"));
    c.get->setToolTip(QStringLiteral("Collect Keywords"));
    const char* const captions[] = {"Ban",          "Who Knows?", "May Be",
                                    "More or Less", "It's Mine!", "The Best!"};
    for (int i = 0; i <= 5; ++i) {
        auto* button = new QPushButton(QString::fromLatin1(captions[i]), page);
        button->setToolTip(QString::fromLatin1(captions[i]) + QStringLiteral(" (Ctrl+%1)").arg(i));
        button->setFocusPolicy(Qt::TabFocus);
        c.rank[static_cast<std::size_t>(i)] = button;
    }
    return c;
}

void KWPageLayout::ShowRankMode(const Controls& c, bool advanced)
{
    c.rank[4]->setText(advanced ? QStringLiteral("It's &Mine!") : QStringLiteral("Take  <Ins>"));
    c.rank[0]->setText(advanced ? QStringLiteral("Ba&n") : QStringLiteral("Reject <Del>"));
    for (const std::size_t i : {1, 2, 3, 5})
        c.rank[i]->setVisible(advanced);
}

int KWPageLayout::commandColumnWidth(const Controls& c)
{
    int width = std::max({px(1095), c.add->sizeHint().width(), c.get->sizeHint().width(),
                          c.rankKeyword->sizeHint().width()});
    for (const QPushButton* button : c.rank)
        width = std::max(width, button->sizeHint().width());
    return width;
}

void KWPageLayout::placeRankButtons(const Controls& c, int left, int top, int width, int height,
                                    int step, bool advanced)
{
    int lowest = top;
    for (const int i : {5, 4, 3, 2, 1, 0}) {
        if (!advanced && i != 4 && i != 0)
            continue;
        c.rank[static_cast<std::size_t>(i)]->setGeometry(left, top, width, height);
        lowest = top;
        top += step;
    }
    c.rankAdvanced->setGeometry(left + px(30), lowest + step, width,
                                c.rankAdvanced->sizeHint().height());
}

void KWPageLayout::Apply(const Controls& c, QSize size, KWPageType pageType, bool advanced)
{
    const int width = std::max(size.width(), px(1500));
    const int height = std::max(size.height(), px(4405));
    const bool raw = pageType == KWPageType::Candidates;

    const int buttonWidth = commandColumnWidth(c);
    const int column = std::max(px(1155), buttonWidth + 6);
    const int left = width - column;
    const int buttonHeight = std::max(px(375), c.add->sizeHint().height());
    const int step = std::max(px(405), buttonHeight + 2);

    c.rawIcon->setVisible(raw);
    c.rawDescription->setVisible(raw);
    const int gridTop = raw ? px(560) : px(30);
    const int gridHeight = raw ? height - px(390) - px(530) : height - px(390);
    const int gridWidth =
        width - column - px(165) > 10 ? width - column - px(165) : c.grid->width();
    if (raw) {
        c.rawIcon->setGeometry(0, 0, 32, gridTop - 2);
        const int labelLeft = 36;
        const int labelWidth = std::max(gridWidth - labelLeft, 10);
        const bool oneLine = c.rawDescription->fontMetrics().horizontalAdvance(
                                 c.rawDescription->text()) < labelWidth;
        const int labelTop = oneLine ? px(120) : px(30);
        c.rawDescription->setGeometry(labelLeft, labelTop, labelWidth, gridTop - labelTop - 1);
    }
    c.grid->setGeometry(0, gridTop, gridWidth, gridHeight);

    const int totalTop = gridTop + gridHeight + px(90);
    c.total->setGeometry(0, totalTop, gridWidth / 2, c.total->sizeHint().height());
    c.hideGrouped->setVisible(pageType == KWPageType::Keywords);
    const QSize hide = c.hideGrouped->sizeHint();
    c.hideGrouped->setGeometry(gridWidth - hide.width(), totalTop - px(60), hide.width(),
                               hide.height());

    c.add->setGeometry(left, gridTop, buttonWidth, buttonHeight);
    c.get->setGeometry(left, gridTop + step, buttonWidth, buttonHeight);
    const int rankLabelTop = gridTop + step + std::max(px(735), buttonHeight + 24);
    c.rankKeyword->setGeometry(left, rankLabelTop, buttonWidth, c.rankKeyword->sizeHint().height());
    const int firstRank = rankLabelTop + std::max(px(270), c.rankKeyword->sizeHint().height() + 2);
    placeRankButtons(c, left, firstRank, buttonWidth, buttonHeight, step, advanced);
}
