#include "app/feedback/FReportBug.h"

FReportBug::FReportBug(QWidget* parent)
    : FeedbackForm({"FReportBug",
                    "Report a Bug",
                    "VX\\Bug",
                    QStringLiteral("Something went wrong? Describe what you did, what you "
                                   "expected and what happened, and press Send."),
                    {{"txtName", "Your Name:", "name", 141, false},
                     {"txtEmail", "Your E-mail:", "email", 142, false},
                     {"txtBug", "Description of Problem:", "bug", 147, true}},
                    154,
                    148,
                    false},
                   parent)
{
}
