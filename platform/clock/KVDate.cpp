#include "platform/clock/KVDate.h"

#include <unicode/udat.h>

#include <chrono>
#include <cmath>
#include <ctime>
#include <memory>
#include <mutex>

#include "platform/bundle/KVLocalizedStrings.h"
#include "platform/objects/KVLogLine.h"
#include "platform/text/KVUnicode.h"

namespace {

// The date in the locale's style for the time and the date ("" on failure,
// logged).
std::string formatWithStyles(KVDate::SystemClock::time_point date, UDateFormatStyle timeStyle,
                             UDateFormatStyle dateStyle, const KVDate::SoftFormat& format)
{
    std::u16string zone;
    KVUTF8ToUTF16(format.timeZone, zone);
    UErrorCode status = U_ZERO_ERROR;
    UDateFormat* formatter =
        udat_open(timeStyle, dateStyle, format.locale.empty() ? nullptr : format.locale.c_str(),
                  zone.empty() ? nullptr : reinterpret_cast<const UChar*>(zone.data()),
                  zone.empty() ? 0 : static_cast<int32_t>(zone.size()), nullptr, -1, &status);
    std::unique_ptr<UDateFormat, void (*)(UDateFormat*)> guard(formatter, udat_close);
    if (U_FAILURE(status) || !formatter) {
        KVLogLine("KVDate softFormatDate: no date formatter for the locale \"%s\": %s", format.locale.c_str(),
                  u_errorName(status));
        return "";
    }
    const UDate milliseconds =
        std::chrono::duration<double, std::milli>(date.time_since_epoch()).count();
    UChar buffer[256];
    const int32_t length = udat_format(formatter, milliseconds, buffer, 256, nullptr, &status);
    if (U_FAILURE(status))
        return "";
    return KVUTF16ToUTF8({reinterpret_cast<const char16_t*>(buffer), static_cast<size_t>(length)});
}

// The format with each "%@" or "%d" (also "%1$@", "%ld", ...) replaced by the
// value and "%%" by "%". Localised formats are never handed to printf.
std::string substitute(const std::string& format, const std::string& value)
{
    std::string out;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%' || i + 1 >= format.size()) {
            out += format[i];
            continue;
        }
        size_t j = i + 1;
        if (format[j] == '%') {
            out += '%';
            i = j;
            continue;
        }
        while (j < format.size() && format[j] >= '0' && format[j] <= '9')
            ++j;
        if (j < format.size() && format[j] == '$')
            ++j;
        while (j < format.size() && (format[j] == 'l' || format[j] == 'q'))
            ++j;
        if (j < format.size() && (format[j] == '@' || format[j] == 'd' || format[j] == 'i' || format[j] == 'u')) {
            out += value;
            i = j;
        } else {
            out += format[i];
        }
    }
    return out;
}

}  // namespace

float KVDate::getTimeAsFloat()
{
    using Clock = std::chrono::steady_clock;
    static std::once_flag once;
    static Clock::time_point reference;
    bool first = false;
    std::call_once(once, [&] {
        reference = Clock::now();
        first = true;
    });
    if (first)
        return 0.0f;
    return static_cast<float>(std::chrono::duration<double>(Clock::now() - reference).count());
}

std::string KVDate::softFormatDate(SystemClock::time_point date)
{
    const std::shared_ptr<const KVLocalizedStrings> strings = KVLocalizedStrings::mainTable();
    SoftFormat format;
    format.now = SystemClock::now();
    format.strings = strings.get();
    return softFormatDate(date, format);
}

std::string KVDate::softFormatDate(SystemClock::time_point date, const SoftFormat& format)
{
    auto text = [&](const char* key) {
        return format.strings ? format.strings->localizedString(key) : std::string(key);
    };
    auto time = [&] { return formatWithStyles(date, UDAT_SHORT, UDAT_NONE, format); };
    const double m = std::chrono::duration<double>(format.now - date).count() / 60.0;
    const double h = m / 60.0;
    const double d = h / 24.0;

    if (d >= 1 && d < 2)
        return substitute(text("Yesterday at %@"), time());
    if (d >= 8)
        return formatWithStyles(date, UDAT_NONE, UDAT_MEDIUM, format);
    if (d >= 2)
        return substitute(text("%d days ago"), std::to_string(static_cast<int>(d)));
    if (h >= 12)
        return time();
    if (h >= 1) {
        const int hours = static_cast<int>(h);
        return hours == 1 ? text("One hour ago") : substitute(text("%d hours ago"), std::to_string(hours));
    }
    if (m < 1)
        return text("Less than a minute ago");
    const int minutes = static_cast<int>(m);
    return minutes == 1 ? text("One minute ago") : substitute(text("%d minutes ago"), std::to_string(minutes));
}

void KVDate::getClockTime(unsigned components[7])
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    components[0] = static_cast<unsigned>(local.tm_year + 1900);
    components[1] = static_cast<unsigned>(local.tm_mon + 1);
    components[2] = static_cast<unsigned>(local.tm_mday);
    components[3] = static_cast<unsigned>(local.tm_hour);
    components[4] = static_cast<unsigned>(local.tm_min);
    // A leap second reads as 60, as the calendar gives it.
    components[5] = static_cast<unsigned>(local.tm_sec);
    // The milliseconds come from a second reading, as the calendar has none.
    const double seconds =
        std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    components[6] = static_cast<unsigned>(std::fmod(seconds * 1000.0, 1000.0));
}
