#include "app/shell/StaticLine.h"

StaticLine::StaticLine(QWidget* parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("StaticLine"));
    setFrameShape(QFrame::HLine);
    setFrameShadow(QFrame::Sunken);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}
