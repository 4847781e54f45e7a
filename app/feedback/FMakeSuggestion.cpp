#include "app/feedback/FMakeSuggestion.h"

FMakeSuggestion::FMakeSuggestion(QWidget* parent)
    : FeedbackForm({"FMakeSuggestion",
                    "Make a Suggestion",
                    "VX\\Suggestion",
                    QStringLiteral("How could Quintara Keywords serve you better? Write your "
                                   "suggestion below and press Send."),
                    {{"txtName", "Your Name:", "name", 141, false},
                     {"txtEmail", "Your E-mail:", "email", 142, false},
                     {"txtSuggestion", "Your Suggestion:", "suggestion", 145, true}},
                    153,
                    146,
                    false},
                   parent)
{
}
