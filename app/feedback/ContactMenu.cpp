#include "app/feedback/ContactMenu.h"

#include "app/feedback/FAskQuestion.h"
#include "app/feedback/FMakeSuggestion.h"
#include "app/feedback/FReportBug.h"
#include "app/feedback/FSendTestimonial.h"

namespace {

std::unique_ptr<FeedbackForm> createForm(const QString& menu, QWidget* owner)
{
    if (menu == u"mnuAskQuestion")
        return std::make_unique<FAskQuestion>(owner);
    if (menu == u"mnuMakeSuggestion")
        return std::make_unique<FMakeSuggestion>(owner);
    if (menu == u"mnuReportBug")
        return std::make_unique<FReportBug>(owner);
    if (menu == u"mnuSendTestimonial")
        return std::make_unique<FSendTestimonial>(owner);
    return nullptr;
}

} // namespace

bool ContactMenu::Run(const QString& menu, QWidget* owner,
                      const std::shared_ptr<zentrel::CLog>& log)
{
    std::unique_ptr<FeedbackForm> form = createForm(menu, owner);
    if (!form)
        return false;
    form->init(log);
    form->exec();
    return true;
}
