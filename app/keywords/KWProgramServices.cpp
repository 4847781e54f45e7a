#include "app/keywords/KWProgramServices.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

#include "app/shell/DesktopBrowser.h"
#include "app/shell/MsgService.h"
#include "engine/platform/CFileUtilities.h"
#include "engine/platform/CLog.h"
#include "engine/platform/CRegistry.h"
#include "engine/platform/CUtilities.h"

KWProgramServices::KWProgramServices(std::shared_ptr<zentrel::CLog> log)
    : m_log(std::move(log))
{
}

void KWProgramServices::Write(std::int32_t number, const QString& text, int level,
                              const QString& source)
{
    if (m_log)
        m_log->Write(number, text, level, source);
}

int KWProgramServices::ShowMsg(const QString& prompt, int style, const QString& title)
{
    return MsgService::showMsg(QApplication::activeWindow(), prompt, style, title);
}

QString KWProgramServices::AskInput(const QString& prompt, const QString& title,
                                    const QString& defaultText)
{
    return MsgService::askInput(QApplication::activeWindow(), prompt, title, defaultText);
}

int KWProgramServices::ExecDialog(QDialog& dialog)
{
    return dialog.exec();
}

bool KWProgramServices::ShowSingleTimeMsg(QWidget* owner, const QString& text)
{
    return MsgService::showSingleTime(owner, text);
}

// The documents folder, else the home folder: the dialog would offer a missing folder's name as
// the file's name.
QString KWProgramServices::SaveFileName(QWidget* parent, const QString& filter)
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString folder = QFileInfo(documents).isDir() ? documents : QDir::homePath();
    return MsgService::saveFileName(parent, {}, filter, folder);
}

QString KWProgramServices::TempFileName(const QString& prefix, const QString& extension)
{
    const QFileInfo name(zentrel::CUtilities::TempFileName(prefix));
    return name.path() + QLatin1Char('/') + name.completeBaseName() + QLatin1Char('.') + extension;
}

void KWProgramServices::WriteFile(const QString& path, const QString& text)
{
    zentrel::CFileUtilities::WriteFile(path, text);
}

void KWProgramServices::OpenInBrowser(const QString& path, const QString& source)
{
    DesktopBrowser::open(QUrl::fromLocalFile(path).toString(), m_log, source);
}

void KWProgramServices::SetClipboardText(const QString& text)
{
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}

bool KWProgramServices::ReadString(const QString& key, const QString& name, QString& value)
{
    return zentrel::CRegistry().ReadString(zentrel::CRegistry::kCurrentUser, key, name, value);
}

void KWProgramServices::WriteString(const QString& key, const QString& name, const QString& value)
{
    zentrel::CRegistry().WriteString(zentrel::CRegistry::kCurrentUser, key, name, value);
}

bool KWProgramServices::ReadLong(const QString& key, const QString& name, std::int32_t& value)
{
    qint32 read = 0;
    if (!zentrel::CRegistry().ReadLong(zentrel::CRegistry::kCurrentUser, key, name, read))
        return false;
    value = read;
    return true;
}

void KWProgramServices::WriteLong(const QString& key, const QString& name, std::int32_t value)
{
    zentrel::CRegistry().WriteLong(zentrel::CRegistry::kCurrentUser, key, name, value);
}
