#pragma once

#include <memory>

#include <QString>

class QWidget;

namespace zentrel {
class CLog;
}

// The Help menu's Contact items: each opens its feedback form modal over the owner.
class ContactMenu {
public:
    // Opens the form of a Contact item ("mnuAskQuestion", "mnuMakeSuggestion", "mnuReportBug",
    // "mnuSendTestimonial"); false for any other menu name.
    static bool Run(const QString& menu, QWidget* owner, const std::shared_ptr<zentrel::CLog>& log);
};
