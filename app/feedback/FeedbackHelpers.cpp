#include "app/feedback/FeedbackHelpers.h"

#include <QFile>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QWidget>

#include "app/shell/DrawnIcons.h"
#include "app/shell/StringTable.h"
#include "engine/platform/CLog.h"
#include "engine/platform/ZError.h"

namespace {

constexpr int kCannotContact = 1025;

} // namespace

QString FeedbackHelpers::LogText(const QString& logFile, qint64 maxBytes)
{
    QFile file(logFile);
    if (logFile.isEmpty() || !file.open(QIODevice::ReadOnly))
        return {};
    const qint64 size = file.size();
    if (size <= maxBytes)
        return QString::fromUtf8(file.readAll());
    // One byte more than the limit: a line break there means the window starts a line.
    if (!file.seek(size - maxBytes - 1))
        return {};
    const QByteArray tail = file.read(maxBytes + 1);
    const qsizetype lineBreak = tail.indexOf('\n');
    if (lineBreak < 0)
        return {};
    return QString::fromUtf8(tail.mid(lineBreak + 1));
}

QString FeedbackHelpers::SupportEMail()
{
    return QStringLiteral(QUINTARA_SUPPORT_EMAIL);
}

QString FeedbackHelpers::SupportLine()
{
    return QStringLiteral("You can also write to us at %1. The program's log goes with your "
                          "message.")
        .arg(SupportEMail());
}

QLabel* FeedbackHelpers::AddHeading(QWidget& form, QGridLayout& layout, const QString& invitation)
{
    auto* picture = new QLabel(&form);
    picture->setPixmap(DrawnIcons::productPicture(48));
    auto* text = new QLabel(invitation, &form);
    text->setWordWrap(true);
    layout.addWidget(picture, 0, 0, Qt::AlignTop);
    layout.addWidget(text, 0, 1);
    auto* support = new QLabel(SupportLine(), &form);
    support->setWordWrap(true);
    support->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return support;
}

void FeedbackHelpers::LogSendFailure(const std::shared_ptr<zentrel::CLog>& log,
                                     const QString& source, const QString& reason)
{
    if (log)
        log->Write(static_cast<qint32>(zentrel::objectError(kCannotContact)),
                   StringTable::text(kCannotContact) + reason, 4, source);
}

void FeedbackHelpers::DrawEtchedFrame(QWidget& form)
{
    QPainter painter(&form);
    painter.setPen(QColor(255, 255, 255));
    const QRect client = form.rect().adjusted(0, 0, -1, -1);
    const double pixelsPerTwip = form.logicalDpiX() / 1440.0;
    for (const int twips : {0, 14, 28}) {
        const int inset = qRound(twips * pixelsPerTwip);
        painter.drawRect(client.adjusted(inset, inset, -inset, -inset));
    }
}
