#pragma once

#include "app/feedback/FeedbackForm.h"

// A problem report to the maker.
class FReportBug final : public FeedbackForm {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FReportBug)

public:
    explicit FReportBug(QWidget* parent = nullptr);
};
