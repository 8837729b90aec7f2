#include "NoticeTemplate.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {

std::vector<std::pair<QString, QString>> Placeholders(const NoticeFields& fields)
{
    return {
        {QStringLiteral("{customer}"), fields.customerName}, {QStringLiteral("{ticket}"), fields.ticketNumber},
        {QStringLiteral("{device}"), fields.device},         {QStringLiteral("{state}"), fields.state},
        {QStringLiteral("{promised}"), fields.promisedBy},   {QStringLiteral("{hours}"), fields.hours},
        {QStringLiteral("{business}"), fields.businessName}, {QStringLiteral("{business phone}"), fields.businessPhone},
    };
}

const QString Signature = QStringLiteral("\n\nKind regards,\n{business}\n{business phone}\n");

}  // namespace

QString FillNotice(const QString& text, const NoticeFields& fields)
{
    const auto placeholders = Placeholders(fields);
    QString filled;
    filled.reserve(text.size());
    qsizetype at = 0;
    while (at < text.size()) {
        const qsizetype open = text.indexOf(QLatin1Char('{'), at);
        if (open < 0) {
            filled += QStringView(text).mid(at);
            break;
        }
        filled += QStringView(text).mid(at, open - at);
        const auto known = std::find_if(placeholders.begin(), placeholders.end(), [&](const auto& placeholder) {
            return QStringView(text).mid(open).startsWith(placeholder.first);
        });
        if (known == placeholders.end()) {
            // Only the brace is taken, so "{{ticket}" still fills the inner one.
            filled += QLatin1Char('{');
            at = open + 1;
        } else {
            filled += known->second;
            at = open + known->first.size();
        }
    }
    return filled;
}

QString DefaultNoticeSubject()
{
    return QStringLiteral("Your repair {ticket}: {state}");
}

QString DefaultNoticeBody(const QString& state)
{
    const QString greeting = QStringLiteral("Hello {customer},\n\n");
    const QString which = state.trimmed().toCaseFolded();
    QString text;
    if (which == QStringLiteral("checked in"))
        text = QStringLiteral("Thank you for bringing in your {device}. We have checked it in as repair {ticket} "
                              "and will let you know as soon as we have had a look at it.");
    else if (which == QStringLiteral("diagnosing"))
        text = QStringLiteral("We are now looking into what is wrong with your {device} (repair {ticket}). "
                              "We will be in touch once we know more.");
    else if (which == QStringLiteral("waiting for parts"))
        text = QStringLiteral("Your {device} (repair {ticket}) needs a part that we have ordered. "
                              "We will carry on with the repair as soon as it arrives.");
    else if (which == QStringLiteral("waiting for customer"))
        text = QStringLiteral("We need a word with you before we can go on with your {device} (repair {ticket}). "
                              "Please call us or reply to this message when you have a moment.");
    else if (which == QStringLiteral("in repair"))
        text = QStringLiteral("Your {device} (repair {ticket}) is being repaired now. "
                              "We expect to have it ready by {promised}.");
    else if (which == QStringLiteral("ready for pickup"))
        text = QStringLiteral("Good news: your {device} (repair {ticket}) is ready for pickup. "
                              "You are welcome to collect it during our opening hours.");
    else if (which == QStringLiteral("picked up"))
        text = QStringLiteral("Thank you for collecting your {device} (repair {ticket}). "
                              "If anything is not right with it, please let us know.");
    else
        text = QStringLiteral("There is news about your {device} (repair {ticket}): it is now \"{state}\". "
                              "Please get in touch if you have any questions.");
    return greeting + text + Signature;
}
