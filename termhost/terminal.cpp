// ncurses set-up and key decoding. Keypad keys are told apart through the
// application keypad sequences, where the terminal sends them.
#include "termhost/terminal.h"

#include <curses.h>
#include <langinfo.h>
#include <term.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <stdexcept>

#include "termhost/theme.h"

namespace termhost {
namespace {

bool active = false;
bool clearOnExit = false;  // the terminal has no screen of its own to leave

// The application keypad's sequences, bound to key codes of our own.
struct KeypadSequence {
    const char *sequence;
    char key;
};
constexpr KeypadSequence kKeypad[] = {
    {"\033Op", '0'},  {"\033Oq", '1'}, {"\033Or", '2'}, {"\033Os", '3'}, {"\033Ot", '4'},
    {"\033Ou", '5'},  {"\033Ov", '6'}, {"\033Ow", '7'}, {"\033Ox", '8'}, {"\033Oy", '9'},
    {"\033Oo", '/'},  {"\033Oj", '*'}, {"\033Om", '-'}, {"\033Ok", '+'}, {"\033On", '.'},
    {"\033OM", '\r'}, {"\033OX", '='},
};
constexpr int kFirstKeypadCode = KEY_MAX + 1;

// Home and End as other terminals (and tmux) send them, whatever TERM says.
struct KeySequence {
    const char *sequence;
    int code;
};
constexpr KeySequence kOtherSequences[] = {
    {"\033[1~", KEY_HOME}, {"\033[7~", KEY_HOME}, {"\033[H", KEY_HOME}, {"\033OH", KEY_HOME},
    {"\033[4~", KEY_END},  {"\033[8~", KEY_END},  {"\033[F", KEY_END},  {"\033OF", KEY_END},
};

void BindKeys() {
    for (std::size_t i = 0; i < std::size(kKeypad); ++i) {
        define_key(kKeypad[i].sequence, 0);  // drop terminfo's meaning first
        define_key(kKeypad[i].sequence, kFirstKeypadCode + static_cast<int>(i));
    }
    for (const KeySequence &key : kOtherSequences)
        if (key_defined(key.sequence) == 0) define_key(key.sequence, key.code);
}

TermKey FromCode(int code) {
    if (code >= kFirstKeypadCode && code < kFirstKeypadCode + static_cast<int>(std::size(kKeypad)))
        return TermKey::Keypad(kKeypad[static_cast<std::size_t>(code - kFirstKeypadCode)].key);
    if (code >= KEY_F(1) && code <= KEY_F(63)) return TermKey::Function(code - KEY_F(0));
    using K = NamedKey;
    switch (code) {
    case KEY_UP: return TermKey::Named(K::Up);
    case KEY_DOWN: return TermKey::Named(K::Down);
    case KEY_LEFT: return TermKey::Named(K::Left);
    case KEY_RIGHT: return TermKey::Named(K::Right);
    case KEY_HOME: return TermKey::Named(K::Home);
    case KEY_END: return TermKey::Named(K::End);
    case KEY_PPAGE: return TermKey::Named(K::PageUp);
    case KEY_NPAGE: return TermKey::Named(K::PageDown);
    case KEY_IC: return TermKey::Named(K::Insert);
    case KEY_DC: return TermKey::Named(K::Delete);
    case KEY_BACKSPACE: return TermKey::Named(K::Backspace);
    case KEY_SR: return TermKey::Named(K::Up, kShiftFlag);
    case KEY_SF: return TermKey::Named(K::Down, kShiftFlag);
    case KEY_SLEFT: return TermKey::Named(K::Left, kShiftFlag);
    case KEY_SRIGHT: return TermKey::Named(K::Right, kShiftFlag);
    case KEY_SHOME: return TermKey::Named(K::Home, kShiftFlag);
    case KEY_SEND: return TermKey::Named(K::End, kShiftFlag);
    case KEY_SPREVIOUS: return TermKey::Named(K::PageUp, kShiftFlag);
    case KEY_SNEXT: return TermKey::Named(K::PageDown, kShiftFlag);
    case KEY_SIC: return TermKey::Named(K::Insert, kShiftFlag);
    case KEY_SDC: return TermKey::Named(K::Delete, kShiftFlag);
    case KEY_BTAB: return TermKey::Named(K::Tab, kShiftFlag);
    case KEY_ENTER: return TermKey::Keypad('\r');
    // Where terminfo names the keypad's corners and centre.
    case KEY_A1: return TermKey::Keypad('7');
    case KEY_A3: return TermKey::Keypad('9');
    case KEY_B2: return TermKey::Keypad('5');
    case KEY_C1: return TermKey::Keypad('1');
    case KEY_C3: return TermKey::Keypad('3');
    default: break;
    }
    const char *name = keyname(code);
    return name != nullptr ? KeyFromExtendedName(name) : TermKey{};
}

std::string Utf(wint_t c) {
    char bytes[MB_LEN_MAX];
    std::mbstate_t state{};
    const std::size_t n = std::wcrtomb(bytes, static_cast<wchar_t>(c), &state);
    return n == static_cast<std::size_t>(-1) ? std::string() : std::string(bytes, n);
}

bool IsEscape(const TermKey &key) { return key.kind == TermKey::Kind::Char && key.value == '\x1b'; }

// A character key, or a key code; false when nothing was read.
bool Read(TermKey &key, std::string &text, bool &resized, bool blocking) {
    wint_t c = 0;
    errno = 0;
    const int kind = get_wch(&c);
    if (kind == ERR) {
        // A signal breaks a wait; anything else means the input is gone, and
        // waiting on would spin.
        if (errno == EINTR || !blocking) return false;
        throw std::runtime_error("the terminal's input was closed");
    }
    if (kind == KEY_CODE_YES) {
        if (c == KEY_RESIZE) {
            resized = true;
            return true;
        }
        key = FromCode(static_cast<int>(c));
        return true;
    }
    key = TermKey::Char(static_cast<int>(c));
    if (c >= ' ' && c != 0x7f) text = Utf(c);  // not a control character
    return true;
}

// A terminfo string capability, or null when the terminal lacks it.
const char *Capability(const char *name) {
    char *value = tigetstr(name);
    return value == nullptr || value == reinterpret_cast<char *>(-1) || *value == '\0' ? nullptr
                                                                                       : value;
}

// A terminal that cannot place the cursor (TERM=dumb) would show a blank
// screen: it is refused with a reason before the screen is taken.
void CheckCapabilities() {
    const char *term = std::getenv("TERM");
    const std::string name = term != nullptr ? term : "";
    int status = 0;
    if (setupterm(nullptr, STDOUT_FILENO, &status) != OK)
        throw std::runtime_error("cannot drive this terminal (TERM=" + name + ")");
    const bool addressable = Capability("cup") != nullptr;
    clearOnExit = Capability("smcup") == nullptr;
    del_curterm(cur_term);
    if (!addressable)
        throw std::runtime_error("this terminal (TERM=" + name +
                                 ") cannot move its cursor, which the full screen needs; try "
                                 "TERM=xterm-256color, or --open and --print-history");
}

// Ctrl+C comes as a key, not as a signal, so that the host can ask before
// quitting; Ctrl+Z and Ctrl+\ keep their signals.
void TakeCtrlC() {
    struct termios mode {};
    if (tcgetattr(STDIN_FILENO, &mode) != 0) return;
    mode.c_cc[VINTR] = _POSIX_VDISABLE;
    if (tcsetattr(STDIN_FILENO, TCSANOW, &mode) == 0) def_prog_mode();
}

}  // namespace

Terminal::Terminal() {
    CheckCapabilities();
    // Line drawing as Unicode characters where the terminal takes UTF-8,
    // rather than through the terminal's alternate character set.
    if (std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0) ::setenv("NCURSES_NO_UTF8_ACS", "1", 0);
    // newterm, unlike initscr, reports an unknown terminal instead of exiting.
    if (newterm(nullptr, stdout, stdin) == nullptr) {
        const char *term = std::getenv("TERM");
        throw std::runtime_error(std::string("cannot drive this terminal (TERM=") +
                                 (term != nullptr ? term : "") + ")");
    }
    active = true;
    cbreak();
    noecho();
    nonl();
    keypad(stdscr, TRUE);
    set_escdelay(25);  // Esc alone must answer at once; sequences come faster
    curs_set(0);
    BindKeys();
    StartColours();
    TakeCtrlC();
}

Terminal::~Terminal() { RestoreTerminal(); }

Input Terminal::ReadKey() {
    ++inputsRead_;
    return NextInput();
}

Input Terminal::NextInput() {
    if (pending_) {
        pending_ = false;
        return next_;
    }
    for (;;) {
        Input input;
        if (!Read(input.key, input.text, input.resized, true)) continue;  // a signal broke the wait
        if (!IsEscape(input.key)) return input;
        // Escape with a character right behind it is that character with
        // Alt. Any other key is a key of its own, pressed just after Esc.
        Input next;
        timeout(0);
        const bool more = Read(next.key, next.text, next.resized, false);
        timeout(-1);
        if (!more) return input;
        if (next.resized || next.key.kind != TermKey::Kind::Char || IsEscape(next.key)) {
            pending_ = true;
            next_ = std::move(next);
            return input;
        }
        next.key.modifiers |= kAltFlag;
        next.text.clear();
        return next;
    }
}

void RestoreTerminal() {
    if (!active) return;
    active = false;
    curs_set(1);
    endwin();
    // Without a screen of its own to leave, the host's screen would stay.
    if (clearOnExit) {
        if (const char *clear = Capability("clear")) putp(clear);
        std::fflush(stdout);
    }
}

}  // namespace termhost
