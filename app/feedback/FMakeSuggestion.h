#pragma once

#include "app/feedback/FeedbackForm.h"

// A suggestion to the maker.
class FMakeSuggestion final : public FeedbackForm {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FMakeSuggestion)

public:
    explicit FMakeSuggestion(QWidget* parent = nullptr);
};
