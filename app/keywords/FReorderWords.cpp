#include "app/keywords/FReorderWords.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/keywords/KWIcons.h"
#include "app/keywords/KWLog.h"
#include "app/keywords/KWWordOrders.h"

FReorderWords::FReorderWords(QWidget* parent)
    : QDialog(parent)
    , m_lv(new QListWidget(this))
    , m_cmdOK(new QPushButton(QStringLiteral("OK"), this))
    , m_cmdCancel(new QPushButton(QStringLiteral("Cancel"), this))
{
    setWindowTitle(QStringLiteral("Reorder Words In Keyword"));
    auto* prompt = new QLabel(QStringLiteral("&Select good word order:"), this);
    prompt->setBuddy(m_lv);
    m_lv->setToolTip(QStringLiteral("Keyword Variants"));
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
    connect(m_lv, &QListWidget::itemDoubleClicked, this, &FReorderWords::accept);
}

void FReorderWords::init(KWLog* log, const QString& kw, const KWIcons* il, const QString& smallIcon)
{
    m_log = log;
    m_okPressed = false;
    const QStringList orders = KWWordOrders::Orders(kw);
    m_lv->clear();
    const QIcon icon = il ? il->icon(smallIcon) : QIcon();
    for (const QString& order : orders)
        new QListWidgetItem(icon, order, m_lv);
}

void FReorderWords::accept()
{
    const QListWidgetItem* item = m_lv->currentItem();
    if (!item || !item->isSelected()) {
        if (m_log)
            m_log->Write(0, QStringLiteral("No word order is selected"), 0,
                         QStringLiteral("FReorderWords.cmdOK_Click"));
        return;
    }
    m_selectedOrder = item->text();
    m_okPressed = true;
    QDialog::accept();
}

void FReorderWords::reject()
{
    QDialog::reject();
}
