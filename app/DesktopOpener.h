// How the program hands a file to the desktop to be shown: xdg-open (package
// xdg-utils), started apart from the program so that neither waits for the
// other, and whose own exit status says whether the file was shown. Beside
// it, the few files of this computer the help reads, each within a bound.
#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

class QObject;

// The bytes of a plain file of at most `maxBytes`, through the one open that
// never waits: a FIFO, a folder, a device, a larger file or one that cannot
// be read gives nothing. The bound is the caller's, near the size of what it
// reads, so that a huge or sparse file in the way costs neither the memory
// nor the time of reading it.
std::optional<QByteArray> ReadPlainFile(const QString& file, int64_t maxBytes);

// A mailcap file is a few kilobytes (the system's about 10): a larger one
// sets no viewer. Of the files MAILCAPS lists only the first few are read,
// as many as are read without it, so that a long list costs no more.
inline constexpr int64_t MaxMailcapBytes = int64_t{1} << 20;
inline constexpr qsizetype MailcapFilesRead = 4;

// How one hand-over to xdg-open ended.
struct TOpenerExit {
    int Status = 0;                    // xdg-open's exit status; -1 when it was killed or said nothing
    std::chrono::milliseconds After{}; // how long after its start the status came
};

// Outside a named desktop xdg-open runs the viewer in its own foreground, so
// its status is the viewer's and comes only when the viewer is closed. A
// failure this long after the start came from a viewer that was shown.
inline constexpr std::chrono::seconds ViewerShownAfter{5};

// Whether a hand-over showed the file: xdg-open succeeded, or failed only
// once its viewer had run.
bool OpenerShowed(const TOpenerExit& exit);

struct TDesktopOpener {
    // Whether xdg-open is there.
    std::function<bool()> HasOpener;
    // Whether a program looks set to show files of this one's type, so that
    // xdg-open would not hand it to a web browser for want of one.
    std::function<bool(const QString& file)> HasHandler;
    // Starts xdg-open on a file and returns at once; `ended` runs on this
    // thread when xdg-open has ended, unless `context` has gone by then.
    std::function<void(const QString& file, QObject& context, std::function<void(TOpenerExit)> ended)> Start;

    // This computer's: xdg-open and xdg-mime on the PATH. A type has a
    // program set when xdg-mime names one whose desktop file xdg-open finds
    // in the XDG data folders' applications/ (links followed), or when
    // run-mailcap is there and a mailcap file has an entry for the type.
    // Without xdg-mime there is no telling, and a program is assumed.
    static TDesktopOpener System();
};
