#pragma once

#include "app/feedback/FeedbackForm.h"

// A question to the maker.
class FAskQuestion final : public FeedbackForm {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FAskQuestion)

public:
    explicit FAskQuestion(QWidget* parent = nullptr);
};
