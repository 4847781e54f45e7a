// Draws the pictures of the help page and the user's guide into a folder, as PNG files: the
// guide's from the program's own windows over a sample project, the help page's workflow drawn
// here. Run offscreen by scripts/make-guide-pictures, which turns them into the GIFs of
// resources/html.

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

#include "app/ProgramWiring.h"
#include "app/keywords/FAddKWs.h"
#include "app/keywords/KWGridModel.h"
#include "app/keywords/KWPageHost.h"
#include "app/keywords/ucKW.h"
#include "app/shell/DrawnIcons.h"
#include "app/shell/FMain.h"
#include "app/shell/MsgScript.h"
#include "engine/database/DBaser.h"
#include "engine/database/MParser.h"
#include "engine/research/Scripting.h"

namespace {

const QColor kBlue(30, 90, 170);

struct Sample {
    const char* kw;
    int searches;  // monthly, -1 unknown
    int relevancy; // -1 candidate
};

constexpr Sample kSamples[] = {
    {"garden furniture", 41200, 5},
    {"teak garden furniture", 6100, 5},
    {"garden benches", 9800, 4},
    {"wooden garden chairs", 3300, 4},
    {"patio furniture sets", 22400, 3},
    {"garden furniture covers", 5400, 3},
    {"outdoor dining table", 12100, 2},
    {"garden swing seat", 2900, 1},
    {"cheap garden furniture", 8800, 0},
    {"free garden furniture", 390, 0},
    {"rattan garden furniture", 18100, -1},
    {"garden furniture sale", 14800, -1},
    {"metal garden bench", 1900, -1},
    {"folding garden chairs", 4400, -1},
    {"garden parasol", 6600, -1},
    {"hammock stand", -1, -1},
    {"garden lounger", 2400, -1},
    {"bistro set", 3600, -1},
};

void addSamples(zentrel::DBaser& db)
{
    for (const Sample& s : kSamples) {
        const QString kw = QString::fromLatin1(s.kw);
        db.ProjectDB()->addRow(QStringLiteral("Keyword"),
                               {QStringLiteral("KW"), QStringLiteral("Normalized"),
                                QStringLiteral("Relevancy"), QStringLiteral("Searches")},
                               {kw, zentrel::MParser::NormalizeKW(kw),
                                s.relevancy < 0 ? QVariant() : QVariant(s.relevancy),
                                s.searches < 0 ? QVariant() : QVariant(s.searches)});
    }
}

void settle()
{
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

ucKW* kwPage(const FMain& window, int number)
{
    auto* host = dynamic_cast<KWPageHost*>(window.page(number));
    return host != nullptr ? host->kwPage() : nullptr;
}

void showPage(FMain& window, int number)
{
    window.ts()->setCurrentIndex(number - 1);
    settle();
}

void selectRows(ucKW* page, std::initializer_list<int> rows)
{
    page->selectRows(QList<int>(rows));
    page->lv()->selectionModel()->setCurrentIndex(page->model()->index(*rows.begin(), 0),
                                                  QItemSelectionModel::NoUpdate);
}

// The window with a menu open over it, its item `active` lit.
QPixmap withMenu(QWidget& window, QMenu* menu, QAction* active, QPoint at)
{
    // Kept inside the picture, as the desktop keeps a menu on the screen.
    at.setX(std::min(at.x(), window.width() - menu->sizeHint().width() - 2));
    menu->popup(window.mapToGlobal(at));
    settle();
    menu->setActiveAction(active);
    settle();
    QPixmap shot = window.grab();
    const QPixmap open = menu->grab();
    menu->hide();
    QPainter painter(&shot);
    painter.drawPixmap(at, open);
    painter.setPen(QColor(90, 90, 90));
    painter.drawRect(QRect(at, open.size()).adjusted(0, 0, -1, -1));
    return shot;
}

// The window with the menu-bar menu that holds `item` open, the item lit.
QPixmap menuBarMenu(FMain& window, const QString& item)
{
    QAction* action = window.menuItem(item);
    QMenu* menu = nullptr;
    for (QObject* holder : action->associatedObjects())
        if ((menu = qobject_cast<QMenu*>(holder)) != nullptr)
            break;
    const QRect title = window.menuBar()->actionGeometry(menu->menuAction());
    const QPoint at = window.menuBar()->mapTo(&window, title.bottomLeft());
    return withMenu(window, menu, action, at);
}

void box(QPainter& p, const QRect& r, const QString& title, const QString& text, QColor fill)
{
    QPainterPath path;
    path.addRoundedRect(r, 8, 8);
    p.fillPath(path, fill);
    p.setPen(fill.darker(130));
    p.drawPath(path);
    p.setPen(Qt::white);
    QFont bold = p.font();
    bold.setBold(true);
    bold.setPixelSize(14);
    p.setFont(bold);
    p.drawText(r.adjusted(6, 6, -6, -r.height() / 2), Qt::AlignCenter, title);
    QFont plain = bold;
    plain.setBold(false);
    plain.setPixelSize(11);
    p.setFont(plain);
    p.drawText(r.adjusted(6, r.height() / 2 - 4, -6, -4), Qt::AlignHCenter | Qt::TextWordWrap,
               text);
}

void arrow(QPainter& p, QPointF from, QPointF to, const QString& label = {}, bool curved = false)
{
    p.setPen(QPen(QColor(70, 70, 70), 2));
    QPainterPath path(from);
    QPointF tangent = to - from;
    if (curved) {
        const QPointF c1(from.x(), from.y() + 60);
        const QPointF c2(to.x(), to.y() + 60);
        path.cubicTo(c1, c2, to);
        tangent = to - c2;
    } else {
        path.lineTo(to);
    }
    p.drawPath(path);
    const double length = std::hypot(tangent.x(), tangent.y());
    const QPointF u = tangent / length;
    const QPointF n(-u.y(), u.x());
    QPolygonF head;
    head << to << to - 10 * u + 5 * n << to - 10 * u - 5 * n;
    p.setBrush(QColor(70, 70, 70));
    p.drawPolygon(head);
    p.setBrush(Qt::NoBrush);
    if (!label.isEmpty()) {
        QFont font = p.font();
        font.setPixelSize(11);
        font.setBold(false);
        font.setItalic(true);
        p.setFont(font);
        const QPointF mid = curved ? QPointF((from.x() + to.x()) / 2, from.y() + 48)
                                   : (from + to) / 2 + QPointF(0, -8);
        p.drawText(QRectF(mid.x() - 110, mid.y() - 8, 220, 16), Qt::AlignCenter, label);
    }
}

// How the program works, as the help page shows it.
QImage workflow()
{
    QImage image(660, 250, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRect collect(10, 20, 130, 80);
    const QRect candidates(185, 20, 120, 80);
    const QRect keywords(350, 20, 120, 80);
    const QRect banned(185, 160, 120, 60);
    const QRect groups(515, 20, 130, 80);
    const QRect exported(515, 160, 130, 60);
    box(p, collect, QStringLiteral("Collect"), QStringLiteral("known keywords, web pages, files"),
        QColor(90, 120, 150));
    box(p, candidates, QStringLiteral("Candidates"), QStringLiteral("waiting for your rank"),
        kBlue);
    box(p, keywords, QStringLiteral("Keywords"), QStringLiteral("ranked 1 to 5, scored"),
        QColor(30, 130, 70));
    box(p, banned, QStringLiteral("Banned"), QStringLiteral("thrown away"), QColor(150, 60, 50));
    box(p, groups, QStringLiteral("Groups"), QStringLiteral("your keywords filed"),
        QColor(30, 130, 70));
    box(p, exported, QStringLiteral("Export"), QStringLiteral("text or HTML report"),
        QColor(110, 80, 140));
    arrow(p, QPointF(collect.right(), 60), QPointF(candidates.left(), 60));
    arrow(p, QPointF(candidates.right(), 50), QPointF(keywords.left(), 50), QStringLiteral("rank"));
    arrow(p, QPointF(candidates.center().x(), candidates.bottom()),
          QPointF(banned.center().x(), banned.top()));
    arrow(p, QPointF(keywords.right(), 60), QPointF(groups.left(), 60));
    arrow(p, QPointF(groups.center().x(), groups.bottom()),
          QPointF(exported.center().x(), exported.top()));
    arrow(p, QPointF(keywords.center().x(), keywords.bottom()),
          QPointF(candidates.center().x() + 30, candidates.bottom()),
          QStringLiteral("automatic research"), true);
    QFont note = p.font();
    note.setPixelSize(11);
    note.setItalic(true);
    p.setFont(note);
    p.setPen(QColor(70, 70, 70));
    p.drawText(QRect(320, 190, 180, 40), Qt::AlignHCenter | Qt::TextWordWrap,
               QStringLiteral("search counts, result pages and lead words, in the background"));
    p.drawText(QRect(200, 128, 100, 16), Qt::AlignLeft, QStringLiteral("ban"));
    return image;
}

bool save(const QDir& folder, const QString& name, const QImage& image)
{
    const bool saved = image.save(folder.filePath(name + QStringLiteral(".png")));
    if (!saved)
        qWarning("could not write %s", qPrintable(name));
    return saved;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        qWarning("usage: guide-pictures OUTPUT-FOLDER");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    // A sample project in a folder of its own; no research reaches the network.
    QTemporaryDir home;
    qputenv("QUINTARA_HOME", home.path().toUtf8());
    qputenv("QUINTARA_ONLINE", "0");
    qputenv("QUINTARA_SEARCH_HOST", "127.0.0.1:9");
    qputenv("QUINTARA_SUGGEST_HOST", "127.0.0.1:9");
    const MsgScript quiet; // no box waits for an answer

    bool ok = save(out, QStringLiteral("c"), DrawnIcons::productPicture(32).toImage());
    ok = save(out, QStringLiteral("vx-workflow"), workflow()) && ok;

    ProgramWiring wiring;
    FMain window;
    wiring.wire(window);
    if (!window.Form_Load())
        return 1;
    window.scripting()->setAutoResearchPaused(true);
    addSamples(*window.database());
    for (const int tab : {2, 3, 5})
        window.RefreshTab(tab);
    window.resize(760, 500);
    window.show();
    settle();

    // Interface elements: the kept keywords.
    showPage(window, 3);
    selectRows(kwPage(window, 3), {1});
    settle();
    ok = save(out, QStringLiteral("ug1"), window.grab().toImage()) && ok;

    // Ranking: the candidates with every rank button.
    window.SetRankMode(true);
    showPage(window, 2);
    selectRows(kwPage(window, 2), {0, 1});
    settle();
    ok = save(out, QStringLiteral("ug2"), window.grab().toImage()) && ok;
    window.SetRankMode(false);

    // Collecting by hand: the add-keywords dialog.
    {
        FAddKWs dialog(&window);
        dialog.show();
        dialog.setText(QStringLiteral("garden furniture\r\nteak benches\r\nwooden garden "
                                      "chairs\r\nhammock stand"));
        settle();
        ok = save(out, QStringLiteral("ug3"), dialog.grab().toImage()) && ok;
        dialog.hide();
    }

    // Collecting from the web: the page's Collect button menu.
    {
        ucKW* page = kwPage(window, 2);
        QPushButton* button = page->cmdGet();
        const QPoint at = button->mapTo(&window, QPoint(button->width(), 0));
        const QList<QAction*> items = page->mnuGetFromPage()->actions();
        ok = save(out, QStringLiteral("ug4"),
                  withMenu(window, page->mnuGetFromPage(), items.value(4), at).toImage()) &&
             ok;
    }

    // The keyword database: Collect | Import From Database.
    ok = save(out, QStringLiteral("ug5"),
              menuBarMenu(window, QStringLiteral("mnuImportFromCache")).toImage()) &&
         ok;

    // Easy start: File | New Project over the kept keywords.
    showPage(window, 3);
    ok = save(out, QStringLiteral("ug6"),
              menuBarMenu(window, QStringLiteral("mnuNewProject")).toImage()) &&
         ok;

    window.close();
    return ok ? 0 : 1;
}
