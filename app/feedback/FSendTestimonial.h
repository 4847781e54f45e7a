#pragma once

#include "app/feedback/FFeedbackForm.h"

// A testimonial, with the writer's location and consent to quote them.
class FSendTestimonial final : public FFeedbackForm {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FSendTestimonial)

public:
    explicit FSendTestimonial(QWidget* parent = nullptr);
};
