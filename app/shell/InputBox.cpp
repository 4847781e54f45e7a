#include "app/shell/InputBox.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

InputBox::InputBox(QWidget* parent)
    : QDialog(parent)
    , m_lblPrompt(new QLabel(this))
    , m_txtValue(new QLineEdit(this))
{
    m_lblPrompt->setTextFormat(Qt::PlainText);
    m_lblPrompt->setWordWrap(true);
    m_lblPrompt->setMinimumWidth(320);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_lblPrompt);
    layout->addWidget(m_txtValue);
    layout->addWidget(buttons);
}

void InputBox::init(const QString& title, const QString& prompt, const QString& defaultText)
{
    setWindowTitle(title);
    m_lblPrompt->setText(prompt);
    m_txtValue->setText(defaultText);
    m_txtValue->selectAll();
}

QString InputBox::value() const
{
    return m_txtValue->text();
}
