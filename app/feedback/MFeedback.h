#pragma once

#include <QString>

class QWidget;

// Helpers shared by the feedback forms and the uninstall survey.
class MFeedback {
public:
    // The most of the log that a record carries.
    static constexpr qint64 kMaxLogBytes = 4 * 1024 * 1024;

    // The log file's text; when it is larger than maxBytes, its last maxBytes cut forward to the
    // next line start. Empty when the file cannot be read.
    static QString LogText(const QString& logFile, qint64 maxBytes = kMaxLogBytes);

    // The maker's support address (a setting of the build).
    static QString SupportEMail();
    // The line that offers the support address instead of the form.
    static QString SupportLine();

    // White lines along the edges of the client area and 14 and 28 twips inside them.
    static void DrawEtchedFrame(QWidget& form);
};
