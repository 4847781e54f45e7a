#include "app/keywords/FReorderWordsL.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/keywords/KWIcons.h"

FReorderWordsL::FReorderWordsL(QWidget* parent)
    : QDialog(parent)
    , m_lv(new QListWidget(this))
    , m_lblResult(new QLabel(QStringLiteral("Result:"), this))
{
    setWindowTitle(QStringLiteral("Reorder Words In Keyword"));
    auto* prompt = new QLabel(QStringLiteral("&Select good word order:"), this);
    prompt->setBuddy(m_lv);
    auto* cmdFirst = new QPushButton(QStringLiteral("Make &First"), this);
    auto* cmdUp = new QPushButton(QStringLiteral("Move &Up"), this);
    auto* cmdDown = new QPushButton(QStringLiteral("Move &Down"), this);
    auto* cmdLast = new QPushButton(QStringLiteral("Make &Last"), this);
    auto* cmdOK = new QPushButton(QStringLiteral("OK"), this);
    auto* cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdOK->setDefault(true);

    auto* moves = new QVBoxLayout;
    for (QPushButton* button : {cmdFirst, cmdUp, cmdDown, cmdLast})
        moves->addWidget(button);
    moves->addStretch();
    auto* middle = new QHBoxLayout;
    middle->addWidget(m_lv, 1);
    middle->addLayout(moves);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Specify word order for keyword."), this));
    layout->addWidget(prompt);
    layout->addLayout(middle, 1);
    layout->addWidget(m_lblResult);
    layout->addLayout(buttons);
    m_lblResult->setWordWrap(true);
    resize(400, 320);

    connect(cmdFirst, &QPushButton::clicked, this, &FReorderWordsL::MakeFirst);
    connect(cmdUp, &QPushButton::clicked, this, &FReorderWordsL::MoveUp);
    connect(cmdDown, &QPushButton::clicked, this, &FReorderWordsL::MoveDown);
    connect(cmdLast, &QPushButton::clicked, this, &FReorderWordsL::MakeLast);
    connect(cmdOK, &QPushButton::clicked, this, &FReorderWordsL::accept);
    connect(cmdCancel, &QPushButton::clicked, this, &FReorderWordsL::reject);
}

void FReorderWordsL::init(KWLog* log, const QString& kw, const KWIcons* il,
                          const QString& smallIcon)
{
    m_log = log;
    m_okPressed = false;
    m_lv->clear();
    const QIcon icon = il ? il->icon(smallIcon) : QIcon();
    for (const QString& word : kw.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        new QListWidgetItem(icon, word, m_lv);
    showResult();
}

void FReorderWordsL::moveText(int from, int to)
{
    // Shift the texts between the two lines by one and put the moved text at `to`.
    const QString text = m_lv->item(from)->text();
    const int step = from < to ? 1 : -1;
    for (int i = from; i != to; i += step)
        m_lv->item(i)->setText(m_lv->item(i + step)->text());
    m_lv->item(to)->setText(text);
    m_lv->setCurrentRow(to);
    showResult();
}

void FReorderWordsL::MoveUp()
{
    const int row = selectedRow();
    if (row > 0)
        moveText(row, row - 1);
}

void FReorderWordsL::MoveDown()
{
    const int row = selectedRow();
    if (row >= 0 && row < m_lv->count() - 1)
        moveText(row, row + 1);
}

void FReorderWordsL::MakeFirst()
{
    const int row = selectedRow();
    if (row > 0)
        moveText(row, 0);
}

void FReorderWordsL::MakeLast()
{
    const int row = selectedRow();
    if (row >= 0 && row < m_lv->count() - 1)
        moveText(row, m_lv->count() - 1);
}

// The moves act on the selected line only: the list's current line may be one the user never
// picked (the first, when the list took the focus).
int FReorderWordsL::selectedRow() const
{
    const QList<QListWidgetItem*> items = m_lv->selectedItems();
    return items.isEmpty() ? -1 : m_lv->row(items.first());
}

QString FReorderWordsL::joinedWords() const
{
    QString text;
    for (int i = 0; i < m_lv->count(); ++i)
        text += m_lv->item(i)->text() + QLatin1Char(' ');
    return text.trimmed();
}

QString FReorderWordsL::ResultText() const
{
    return m_lblResult->text();
}

void FReorderWordsL::showResult()
{
    m_lblResult->setText(QStringLiteral("Result: ") + joinedWords());
}

void FReorderWordsL::accept()
{
    m_selectedOrder = joinedWords();
    m_okPressed = true;
    QDialog::accept();
}
