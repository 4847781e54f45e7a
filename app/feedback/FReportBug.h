#pragma once

#include "app/feedback/FFeedbackForm.h"

// A problem report to the maker.
class FReportBug final : public FFeedbackForm {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FReportBug)

public:
    explicit FReportBug(QWidget* parent = nullptr);
};
