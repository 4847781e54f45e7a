#include "app/feedback/FAskQuestion.h"

FAskQuestion::FAskQuestion(QWidget* parent)
    : FeedbackForm({"FAskQuestion",
                    "Ask a Question",
                    "VX\\Question",
                    QStringLiteral("Have a question about Quintara Keywords? Write it below and "
                                   "press Send.\nPlease allow up to 48 hours for a response."),
                    {{"txtName", "Your Name:", "name", 141, false},
                     {"txtEmail", "Your E-mail:", "email", 142, false},
                     {"txtQuestion", "Your Question:", "question", 143, true}},
                    152,
                    144,
                    false},
                   parent)
{
}
