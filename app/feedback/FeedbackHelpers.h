#pragma once

#include <memory>

#include <QString>

class QGridLayout;
class QLabel;
class QWidget;

namespace zentrel {
class CLog;
}

// Helpers shared by the feedback forms and the uninstall survey.
class FeedbackHelpers {
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

    // The form's picture and invitation in the first row of its layout, and the label with the
    // support line, for the form to place.
    static QLabel* AddHeading(QWidget& form, QGridLayout& layout, const QString& invitation);

    // A failed send in the log: 0x80040401, "Cannot contact. " and the reason, level 4.
    static void LogSendFailure(const std::shared_ptr<zentrel::CLog>& log, const QString& source,
                               const QString& reason);

    // White lines along the edges of the client area and 14 and 28 twips inside them.
    static void DrawEtchedFrame(QWidget& form);
};
