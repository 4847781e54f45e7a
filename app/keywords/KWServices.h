#pragma once

#include <cstdint>

#include <QString>

#include "app/keywords/KWLog.h"

class QDialog;
class QWidget;

// What the keyword pages need from the program around them: boxes, dialogs, settings, files and
// the browser. Tests script it; the program gives the real ones.
class KWServices : public KWLog {
public:
    // Message-box button codes.
    enum Button { OK = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

    // Shows a message box of the given style; an empty title gives the product name.
    virtual int ShowMsg(const QString& prompt, int style, const QString& title = {}) = 0;
    // Shows an input box; returns what was typed, empty on Cancel.
    virtual QString AskInput(const QString& prompt, const QString& title = {},
                             const QString& defaultText = {}) = 0;
    // Shows a modal dialog; returns its result code.
    virtual int ExecDialog(QDialog& dialog) = 0;
    // The one-time message form; returns whether "do not show again" was ticked.
    virtual bool ShowSingleTimeMsg(QWidget* owner, const QString& text) = 0;
    // Asks for a file to save to; empty when cancelled.
    virtual QString SaveFileName(QWidget* parent, const QString& filter) = 0;
    // A new file name in the program's temporary folder.
    virtual QString TempFileName(const QString& prefix, const QString& extension) = 0;
    // Writes the text as UTF-8; raises ZError on failure.
    virtual void WriteFile(const QString& path, const QString& text) = 0;
    // Opens the file in the browser; a browser that does not start is logged with the source.
    virtual void OpenInBrowser(const QString& path, const QString& source) = 0;
    virtual void SetClipboardText(const QString& text) = 0;

    // String and number values under the current user's key of the program (key ends in "\").
    virtual bool ReadString(const QString& key, const QString& name, QString& value) = 0;
    virtual void WriteString(const QString& key, const QString& name, const QString& value) = 0;
    virtual bool ReadLong(const QString& key, const QString& name, std::int32_t& value) = 0;
    virtual void WriteLong(const QString& key, const QString& name, std::int32_t value) = 0;

    // The program's registry key.
    static QString ProgramKey()
    {
        return QStringLiteral("Software\\Brovant Software\\Quintara Keywords\\Current Version\\");
    }
};
