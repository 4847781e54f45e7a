#include "app/shell/MsgService.h"

#include <utility>

#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>

#include "app/shell/FSingleTimeMsg.h"
#include "app/shell/InputBox.h"
#include "app/shell/StringTable.h"

namespace {

QMessageBox::StandardButton standardOf(int code)
{
    switch (code) {
    case MsgService::OK:
        return QMessageBox::Ok;
    case MsgService::Cancel:
        return QMessageBox::Cancel;
    case MsgService::Abort:
        return QMessageBox::Abort;
    case MsgService::Retry:
        return QMessageBox::Retry;
    case MsgService::Ignore:
        return QMessageBox::Ignore;
    case MsgService::Yes:
        return QMessageBox::Yes;
    default:
        return QMessageBox::No;
    }
}

QMessageBox::Icon iconOf(int style)
{
    switch (style & 0x70) {
    case MsgService::Critical:
        return QMessageBox::Critical;
    case MsgService::Question:
        return QMessageBox::Question;
    case MsgService::Exclamation:
        return QMessageBox::Warning;
    case MsgService::Information:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

} // namespace

MsgService::Answerer*& MsgService::current()
{
    static Answerer* answerer = nullptr;
    return answerer;
}

MsgService::Answerer* MsgService::exchangeAnswerer(Answerer* answerer)
{
    return std::exchange(current(), answerer);
}

QString MsgService::titleOrDefault(const QString& title)
{
    return title.isEmpty() ? StringTable::text(StringTable::kProductName) : title;
}

QList<int> MsgService::buttonsOf(int style)
{
    switch (style & 0x0F) {
    case OKCancel:
        return {OK, Cancel};
    case AbortRetryIgnore:
        return {Abort, Retry, Ignore};
    case YesNoCancel:
        return {Yes, No, Cancel};
    case YesNo:
        return {Yes, No};
    case RetryCancel:
        return {Retry, Cancel};
    default:
        return {OK};
    }
}

int MsgService::escapeButton(int style)
{
    const QList<int> buttons = buttonsOf(style);
    for (const int preferred : {Cancel, No, Abort}) {
        if (buttons.contains(preferred))
            return preferred;
    }
    return OK;
}

QString MsgService::qtFilter(const QString& filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts.at(i);
        const QString patterns = parts.at(i + 1);
        filters.append(description.contains(u'(')
                           ? description
                           : description + u" (" + QString(patterns).replace(u';', u' ') + u')');
    }
    if (filters.isEmpty() && !filter.isEmpty())
        filters.append(filter);
    return filters.join(QStringLiteral(";;"));
}

int MsgService::showMsg(QWidget* parent, const QString& prompt, int style, const QString& title)
{
    Request request{Kind::Message, prompt, titleOrDefault(title), style, {}, {}, {}};
    if (Answerer* answerer = current())
        return answerer->messageAnswer(request);

    QMessageBox box(iconOf(style), request.title, {}, QMessageBox::NoButton, parent);
    box.setTextFormat(Qt::PlainText);
    box.setText(prompt);
    const QList<int> codes = buttonsOf(style);
    QList<QAbstractButton*> buttons;
    for (const int code : codes)
        buttons.append(box.addButton(standardOf(code)));
    box.setDefaultButton(qobject_cast<QPushButton*>(buttons.first()));
    box.setEscapeButton(buttons.at(codes.indexOf(escapeButton(style))));
    box.exec();
    const qsizetype clicked = buttons.indexOf(box.clickedButton());
    return clicked < 0 ? escapeButton(style) : codes.at(clicked);
}

QString MsgService::askInput(QWidget* parent, const QString& prompt, const QString& title,
                             const QString& defaultText)
{
    Request request{Kind::Input, prompt, titleOrDefault(title), 0, defaultText, {}, {}};
    if (Answerer* answerer = current())
        return answerer->inputAnswer(request);

    InputBox box(parent);
    box.init(request.title, prompt, defaultText);
    if (box.exec() != QDialog::Accepted)
        return {};
    return box.value();
}

QString MsgService::openFileName(QWidget* parent, const QString& title, const QString& filter,
                                 const QString& folder)
{
    Request request{Kind::OpenFile, {}, title, 0, {}, filter, folder};
    if (Answerer* answerer = current())
        return answerer->fileAnswer(request);

    QFileDialog dialog(parent, title, folder, qtFilter(filter));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString MsgService::saveFileName(QWidget* parent, const QString& title, const QString& filter,
                                 const QString& folder)
{
    Request request{Kind::SaveFile, {}, title, 0, {}, filter, folder};
    if (Answerer* answerer = current())
        return withDefaultSuffix(answerer->fileAnswer(request), filter);

    QFileDialog dialog(parent, title, folder, qtFilter(filter));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix(filter));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return withDefaultSuffix(dialog.selectedFiles().constFirst(), filter);
}

QString MsgService::defaultSuffix(const QString& filter)
{
    static const QRegularExpression pattern(QStringLiteral("\\*\\.([A-Za-z0-9]+)"));
    const QRegularExpressionMatch match = pattern.match(filter);
    return match.hasMatch() ? match.captured(1) : QString();
}

QString MsgService::withDefaultSuffix(const QString& path, const QString& filter)
{
    const QString suffix = defaultSuffix(filter);
    if (path.isEmpty() || suffix.isEmpty() || !QFileInfo(path).suffix().isEmpty())
        return path;
    return path + u'.' + suffix;
}

bool MsgService::showSingleTime(QWidget* owner, const QString& text)
{
    Request request{
        Kind::SingleTime, text, StringTable::text(StringTable::kProductName), 0, {}, {}, {}};
    if (Answerer* answerer = current())
        return answerer->singleTimeAnswer(request);

    FSingleTimeMsg form(owner);
    form.lblMessage()->setText(text);
    form.exec();
    return form.chkDontShowAgain()->isChecked();
}
