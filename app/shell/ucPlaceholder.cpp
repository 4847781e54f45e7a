#include "app/shell/ucPlaceholder.h"

#include <QLabel>
#include <QVBoxLayout>

ucPlaceholder::ucPlaceholder(const QString& caption, QWidget* parent)
    : QWidget(parent)
    , m_label(new QLabel(caption, this))
{
    m_label->setTextFormat(Qt::PlainText);
    m_label->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
}
