#include "app/keywords/FReorderWords.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/keywords/KWIcons.h"
#include "app/keywords/KWLog.h"
#include "app/keywords/KWWordOrders.h"

FReorderWords::FReorderWords(QWidget* parent)
    : QDialog(parent)
    , m_lv(new QTreeWidget(this))
    , m_cmdOK(new QPushButton(QStringLiteral("OK"), this))
    , m_cmdCancel(new QPushButton(QStringLiteral("Cancel"), this))
{
    setWindowTitle(QStringLiteral("Reorder Words In Keyword"));
    auto* prompt = new QLabel(QStringLiteral("&Select good word order:"), this);
    prompt->setBuddy(m_lv);
    // A one-column report list whose header names the column.
    m_lv->setColumnCount(1);
    m_lv->setHeaderLabels({QStringLiteral("Keyword Variants")});
    m_lv->setRootIsDecorated(false);
    m_lv->setUniformRowHeights(true);
    m_lv->header()->setStretchLastSection(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cmdOK);
    buttons->addWidget(m_cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Specify word order for keyword."), this));
    layout->addWidget(prompt);
    layout->addWidget(m_lv, 1);
    layout->addLayout(buttons);
    m_cmdOK->setDefault(true);
    resize(360, 320);
    connect(m_cmdOK, &QPushButton::clicked, this, &FReorderWords::accept);
    connect(m_cmdCancel, &QPushButton::clicked, this, &FReorderWords::reject);
    connect(m_lv, &QTreeWidget::itemDoubleClicked, this, &FReorderWords::accept);
}

void FReorderWords::init(KWLog* log, const QString& kw, const KWIcons* il, const QString& smallIcon)
{
    m_log = log;
    m_okPressed = false;
    const QStringList orders = KWWordOrders::Orders(kw);
    m_lv->clear();
    const QIcon icon = il ? il->icon(smallIcon) : QIcon();
    for (const QString& order : orders) {
        auto* item = new QTreeWidgetItem(m_lv, QStringList{order});
        item->setIcon(0, icon);
    }
}

void FReorderWords::accept()
{
    const QTreeWidgetItem* item = m_lv->currentItem();
    if (!item || !item->isSelected()) {
        if (m_log)
            m_log->Write(0, QStringLiteral("No word order is selected"), 0,
                         QStringLiteral("FReorderWords.cmdOK_Click"));
        return;
    }
    m_selectedOrder = item->text(0);
    m_okPressed = true;
    QDialog::accept();
}

void FReorderWords::reject()
{
    QDialog::reject();
}
