#pragma once

#include "app/feedback/FFeedbackForm.h"

// A question to the maker.
class FAskQuestion final : public FFeedbackForm {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FAskQuestion)

public:
    explicit FAskQuestion(QWidget* parent = nullptr);
};
