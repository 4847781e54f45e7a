#pragma once

#include "app/feedback/FeedbackForm.h"

// A testimonial, with the writer's location and consent to quote them.
class FSendTestimonial final : public FeedbackForm {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FSendTestimonial)

public:
    explicit FSendTestimonial(QWidget* parent = nullptr);
};
