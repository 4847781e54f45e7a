#include "app/feedback/FSendTestimonial.h"

FSendTestimonial::FSendTestimonial(QWidget* parent)
    : FeedbackForm({"FSendTestimonial",
                    "Send Testimonial",
                    "VX\\Testimonial",
                    QStringLiteral("Does Quintara Keywords work well for you? Tell us about it "
                                   "and press Send."),
                    {{"txtName", "Your Name:", "name", 141, false},
                     {"txtEmail", "Your E-mail:", "email", 142, false},
                     {"txtLocation", "City, State:", "location", 149, false},
                     {"txtTestimonial", "Testimonial:", "testimonial", 150, true}},
                    155,
                    151,
                    true},
                   parent)
{
}
