// The name and options rules, and name order.
#include "pack_inputs.h"

#include <algorithm>
#include <ctype.h>
#include <string.h>

#include "message.h"
#include "slideshow_logic.h"
#include "text.h"

const int SAVER_NAME_MAXIMUM = SAVER_NAME_CAPACITY - 1;
const int OPTIONS_ADDRESS_MAXIMUM = OPTIONS_ADDRESS_CAPACITY - 1;

// Characters of the options text before the address: the banner flag and the launch key.
static const size_t OPTIONS_KEYS = 2;

int CheckSaverName(const char *name, std::string *reason)
{
    size_t length = strlen(name);
    if (length > (size_t)SAVER_NAME_MAXIMUM) {
        *reason = "longer than " + std::to_string(SAVER_NAME_MAXIMUM) + " characters";
        return 0;
    }
    // The installer trims the name it reads; one that changes on trimming would install under
    // another name than the one shown.
    if (length > 0 && (IsBlank(name[0]) || IsBlank(name[length - 1]))) {
        *reason = "starts or ends with a blank";
        return 0;
    }
    if (ValidateSaverName(name)) {
        *reason = AppMessage.text ? AppMessage.text : "refused by the installer";
        std::replace(reason->begin(), reason->end(), '\n', ' ');
        ClearMessage(&AppMessage);
        return 0;
    }
    return 1;
}

int CheckOptionsText(const char *options, std::string *reason)
{
    size_t length = strlen(options);
    if (length > OPTIONS_KEYS + OPTIONS_ADDRESS_MAXIMUM) {
        *reason = "holds an address longer than " + std::to_string(OPTIONS_ADDRESS_MAXIMUM) +
                  " characters";
        return 0;
    }
    return 1;
}

// Compares a run of digits at a with one at b by value; advances both past their runs.
static int CompareDigitRuns(const char **a, const char **b)
{
    while (**a == '0' && isdigit((unsigned char)(*a)[1]))
        (*a)++;
    while (**b == '0' && isdigit((unsigned char)(*b)[1]))
        (*b)++;
    const char *startA = *a, *startB = *b;
    while (isdigit((unsigned char)**a))
        (*a)++;
    while (isdigit((unsigned char)**b))
        (*b)++;
    size_t lengthA = (size_t)(*a - startA), lengthB = (size_t)(*b - startB);
    if (lengthA != lengthB)
        return lengthA < lengthB ? -1 : 1;
    return memcmp(startA, startB, lengthA);
}

bool NameOrderLess(const std::string &first, const std::string &second)
{
    const char *a = first.c_str(), *b = second.c_str();
    while (*a && *b) {
        if (isdigit((unsigned char)*a) && isdigit((unsigned char)*b)) {
            int order = CompareDigitRuns(&a, &b);
            if (order != 0)
                return order < 0;
            continue;
        }
        int ca = tolower((unsigned char)*a), cb = tolower((unsigned char)*b);
        if (ca != cb)
            return ca < cb;
        a++;
        b++;
    }
    if (*a || *b)
        return *b != 0;
    return first < second;
}
