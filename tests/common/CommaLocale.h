// Switches the C library to a locale whose decimal separator is a comma for
// the life of the object, to show that number text does not depend on it.
#pragma once

#include <clocale>
#include <cstdlib>
#include <string>

class TCommaLocale {
public:
    TCommaLocale() : saved_(std::setlocale(LC_ALL, nullptr))
    {
        // The build compiles de_DE into its own folder; installed locales work too.
        setenv("LOCPATH", OCRA_TEST_LOCALE_DIR, 1);
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"}) {
            if (std::setlocale(LC_ALL, name)) {
                active_ = *std::localeconv()->decimal_point == ',';
                break;
            }
        }
    }
    ~TCommaLocale()
    {
        std::setlocale(LC_ALL, saved_.c_str());
        unsetenv("LOCPATH");
    }
    TCommaLocale(const TCommaLocale&) = delete;
    TCommaLocale& operator=(const TCommaLocale&) = delete;

    bool Active() const { return active_; }

private:
    std::string saved_;
    bool active_ = false;
};
