#pragma once

#include "app/feedback/FFeedbackForm.h"

// A suggestion to the maker.
class FMakeSuggestion final : public FFeedbackForm {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FMakeSuggestion)

public:
    explicit FMakeSuggestion(QWidget* parent = nullptr);
};
