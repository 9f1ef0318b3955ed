// SPDX-License-Identifier: MIT
// The window helpers of qvUtilita on a real X server, with windows of another
// process (helper_finestra): bringing a window forward by its title, keeping
// it above the others, and the gradient surviving being covered. What the
// helpers did is read back from the X server itself.
//
// Run as its own program, twice: without a window manager on the display
// that support/XServer.h finds or starts, and with "--openbox" on an Xvfb of
// its own with openbox managing its windows.
#include "support/XServer.h"

#include <qvpreview/qvUtilita.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QScreen>
#include <QSocketNotifier>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <memory>
#include <ostream>
#include <string>

namespace qv {
namespace {

bool windowManager = false;

/// How long a wait may take before the test gives up: long, because a
/// loaded machine may take many seconds to start a program or let a window
/// manager react. It ends failing tests, it never paces passing ones.
constexpr int LimiteAttesa = 120000;

/// Our own connection to the display, to read back what the helpers did.
class X
{
public:
    X()
    {
        m_c = xcb_connect(nullptr, nullptr);
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root;
        m_ready = xcb_ewmh_init_atoms_replies(&m_ewmh, xcb_ewmh_init_atoms(m_c, &m_ewmh), nullptr);
    }
    ~X()
    {
        if (m_ready)
            xcb_ewmh_connection_wipe(&m_ewmh);
        xcb_disconnect(m_c);
    }

    /// True when \a window carries the EWMH state \a state.
    bool hasState(xcb_window_t window, xcb_atom_t state)
    {
        xcb_ewmh_get_atoms_reply_t states;
        if (!xcb_ewmh_get_wm_state_reply(&m_ewmh, xcb_ewmh_get_wm_state(&m_ewmh, window), &states, nullptr))
            return false;
        bool found = false;
        for (uint32_t i = 0; i < states.atoms_len; ++i)
            found |= states.atoms[i] == state;
        xcb_ewmh_get_atoms_reply_wipe(&states);
        return found;
    }
    bool above(xcb_window_t window) { return hasState(window, m_ewmh._NET_WM_STATE_ABOVE); }

    /// True when the window manager lists \a window among its clients.
    bool managed(xcb_window_t window)
    {
        xcb_ewmh_get_windows_reply_t clients;
        if (!xcb_ewmh_get_client_list_reply(&m_ewmh, xcb_ewmh_get_client_list(&m_ewmh, 0), &clients, nullptr))
            return false;
        bool found = false;
        for (uint32_t i = 0; i < clients.windows_len; ++i)
            found |= clients.windows[i] == window;
        xcb_ewmh_get_windows_reply_wipe(&clients);
        return found;
    }

    /// Asks the window manager to iconify \a window, as its owner would
    /// (ICCCM WM_CHANGE_STATE to the root window).
    void iconify(xcb_window_t window)
    {
        auto *atom = xcb_intern_atom_reply(m_c, xcb_intern_atom(m_c, 0, 15, "WM_CHANGE_STATE"), nullptr);
        if (!atom)
            return;
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window;
        message.type = atom->atom;
        message.data.data32[0] = 3; // IconicState
        std::free(atom);
        xcb_send_event(m_c, 0, m_root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char *>(&message));
        xcb_flush(m_c);
    }

    /// The ICCCM WM_STATE of \a window, which only the window manager writes:
    /// 1 NormalState, 3 IconicState; 0 while no window manager has taken the
    /// window in.
    uint32_t wmState(xcb_window_t window)
    {
        auto *atom = xcb_intern_atom_reply(m_c, xcb_intern_atom(m_c, 0, 8, "WM_STATE"), nullptr);
        if (!atom)
            return 0;
        const xcb_atom_t wmStateAtom = atom->atom;
        std::free(atom);
        auto *reply =
            xcb_get_property_reply(m_c, xcb_get_property(m_c, 0, window, wmStateAtom, wmStateAtom, 0, 2), nullptr);
        uint32_t state = 0;
        if (reply && xcb_get_property_value_length(reply) >= 4)
            std::memcpy(&state, xcb_get_property_value(reply), sizeof state);
        std::free(reply);
        return state;
    }
    bool normal(xcb_window_t window) { return wmState(window) == 1; }
    bool iconic(xcb_window_t window) { return wmState(window) == 3; }

    /// Asks for \a window to be shown, as its owner does; under a window
    /// manager the request goes to it.
    void map(xcb_window_t window)
    {
        xcb_map_window(m_c, window);
        xcb_flush(m_c);
    }

    bool viewable(xcb_window_t window)
    {
        auto *a = xcb_get_window_attributes_reply(m_c, xcb_get_window_attributes(m_c, window), nullptr);
        const bool result = a && a->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(a);
        return result;
    }

    /// The place of \a window's top-level ancestor (its frame under a window
    /// manager) among the root's children, bottom 0; -1 when not found.
    int stackingIndex(xcb_window_t window)
    {
        xcb_window_t top = window;
        for (;;) {
            auto *tree = xcb_query_tree_reply(m_c, xcb_query_tree(m_c, top), nullptr);
            if (!tree)
                return -1;
            const xcb_window_t parent = tree->parent;
            std::free(tree);
            if (parent == m_root || parent == XCB_NONE)
                break;
            top = parent;
        }
        auto *tree = xcb_query_tree_reply(m_c, xcb_query_tree(m_c, m_root), nullptr);
        if (!tree)
            return -1;
        const xcb_window_t *children = xcb_query_tree_children(tree);
        int index = -1;
        for (int i = 0; i < xcb_query_tree_children_length(tree); ++i)
            if (children[i] == top)
                index = i;
        std::free(tree);
        return index;
    }

private:
    xcb_connection_t *m_c = nullptr;
    xcb_window_t m_root = XCB_NONE;
    xcb_ewmh_connection_t m_ewmh{};
    bool m_ready = false;
};

/// Waits for \a condition on what the screen shows (pixels, which the X
/// server reports to no one but the window's owner): checks it whenever
/// this program has handled its events, giving up after LimiteAttesa.
bool waitFor(const std::function<bool()> &condition)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > LimiteAttesa)
            return false;
        QTest::qWait(20);
    }
    return true;
}

/// Waits for \a condition on the state of windows (mapped, stacked, their
/// properties), checking it again each time the X server reports a change:
/// of the root window's children and properties (the window manager's lists,
/// the active window) and of \a windows (their mapping and properties).
/// Some changes reach no one but their owner (a window manager mapping the
/// inner windows of its frame), so the condition is also checked every
/// 50 ms: the wait ends when the condition holds, never after a set time.
/// This program's events are handled meanwhile. Gives up after LimiteAttesa.
bool attendiX(const std::function<bool()> &condition, std::initializer_list<uint32_t> windows = {})
{
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return condition();
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const uint32_t rootMask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &rootMask);
    const uint32_t windowMask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
    for (const uint32_t window : windows)
        xcb_change_window_attributes(c, window, XCB_CW_EVENT_MASK, &windowMask);
    // A round trip: the server listens for the changes before the first
    // check, so none falls between the check and the wait.
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));

    QEventLoop loop;
    QSocketNotifier reported(xcb_get_file_descriptor(c), QSocketNotifier::Read);
    QObject::connect(&reported, &QSocketNotifier::activated, &loop, &QEventLoop::quit);
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    limit.start(LimiteAttesa);
    QTimer recheck;
    QObject::connect(&recheck, &QTimer::timeout, &loop, &QEventLoop::quit);
    recheck.start(50);
    bool met = false;
    for (;;) {
        while (xcb_generic_event_t *event = xcb_poll_for_event(c))
            std::free(event);
        QCoreApplication::processEvents();
        if ((met = condition()) || !limit.isActive() || xcb_connection_has_error(c))
            break;
        loop.exec();
    }
    xcb_disconnect(c);
    return met;
}

/// A window of another process, open while the object lives.
class AltraFinestra
{
public:
    explicit AltraFinestra(const QString &title, const QRect &geometry = QRect())
    {
        QStringList args{title};
        if (!geometry.isNull())
            args << QString::number(geometry.x()) << QString::number(geometry.y()) << QString::number(geometry.width())
                 << QString::number(geometry.height());
        m_process.start(QStringLiteral(QV_HELPER_FINESTRA), args);
        if (m_process.waitForStarted(LimiteAttesa) && m_process.waitForReadyRead(LimiteAttesa))
            m_id = uint32_t(m_process.readLine().trimmed().toULongLong());
    }
    ~AltraFinestra() { close(); }

    void close()
    {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(LimiteAttesa))
            m_process.kill();
        m_process.waitForFinished();
    }

    uint32_t id() const { return m_id; }

private:
    QProcess m_process;
    uint32_t m_id = 0;
};

/// Waits until the window manager has taken \a window in (lists it, in its
/// normal state). A window manager that is still starting drops the map
/// requests it receives meanwhile, and the window then stays unmapped: as
/// long as it is neither shown nor known to the window manager, the request
/// is made again every hundred checks (about five seconds).
bool presaDalWindowManager(X &x, uint32_t id)
{
    int checks = 0;
    return attendiX(
        [&] {
            if (x.managed(id) && x.normal(id))
                return true;
            if (++checks % 100 == 0 && !x.viewable(id) && x.wmState(id) == 0)
                x.map(id);
            return false;
        },
        {id});
}

/// A word that no other window's title holds.
QString unico(const char *word)
{
    return QString::fromLatin1(word) + QString::number(::getpid());
}

/// True when a window manager names itself on the root window
/// (_NET_SUPPORTING_WM_CHECK).
bool windowManagerNamed()
{
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    xcb_ewmh_connection_t ewmh;
    bool named = false;
    if (xcb_ewmh_init_atoms_replies(&ewmh, xcb_ewmh_init_atoms(c, &ewmh), nullptr)) {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        xcb_window_t check = XCB_NONE;
        named = xcb_ewmh_get_supporting_wm_check_reply(&ewmh, xcb_ewmh_get_supporting_wm_check(&ewmh, root), &check,
                                                       nullptr)
                && check != XCB_NONE;
        xcb_ewmh_connection_wipe(&ewmh);
    }
    xcb_disconnect(c);
    return named;
}

// --- Bringing a window forward by its title --------------------------------

struct Chi
{
    const char *name;
    bool altroProgramma; // the window sought is another program's; else ours
};

void PrintTo(const Chi &c, std::ostream *os)
{
    *os << c.name;
}

class ShowFinestraTest : public ::testing::TestWithParam<Chi>
{};

TEST_P(ShowFinestraTest, FindsAWindowByALowerCaseWordOfItsTitleAndRaisesIt)
{
    // One window of each program, the sought one below the other.
    const QString titolo = QStringLiteral("REGISTRO ") + unico("QVCERCATA").toUpper() + QStringLiteral(" - ANNO 2024");
    const bool altro = GetParam().altroProgramma;
    std::unique_ptr<AltraFinestra> loro;
    QWidget nostra;
    nostra.setGeometry(120, 120, 300, 200);
    if (altro) {
        loro = std::make_unique<AltraFinestra>(titolo, QRect(100, 100, 300, 200));
        ASSERT_NE(loro->id(), 0u);
        nostra.setWindowTitle(QStringLiteral("Copertura"));
    } else {
        nostra.setWindowTitle(titolo);
    }
    nostra.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&nostra, LimiteAttesa));
    if (!altro) {
        loro = std::make_unique<AltraFinestra>(QStringLiteral("Copertura"), QRect(100, 100, 300, 200));
        ASSERT_NE(loro->id(), 0u);
    }
    const uint32_t cercata = altro ? loro->id() : uint32_t(nostra.winId());
    const uint32_t sopra = altro ? uint32_t(nostra.winId()) : loro->id();
    X x;
    ASSERT_TRUE(attendiX([&] { return x.viewable(loro->id()) && x.stackingIndex(sopra) > x.stackingIndex(cercata); },
                         {loro->id()}))
        << "the other window did not come on top";

    EXPECT_TRUE(qvUtilita().ShowFinestraConTitolo(unico("qvcercata")));
    EXPECT_TRUE(attendiX([&] { return x.stackingIndex(cercata) > x.stackingIndex(sopra); }, {cercata, sopra}))
        << "stacking: sought " << x.stackingIndex(cercata) << ", other " << x.stackingIndex(sopra);
}

INSTANTIATE_TEST_SUITE_P(Windows, ShowFinestraTest,
                         ::testing::Values(Chi{"another_program", true}, Chi{"this_program", false}));

TEST(ShowFinestraConTitolo, FalseWhenNoTitleHoldsTheText)
{
    AltraFinestra loro(QStringLiteral("Registro"));
    ASSERT_NE(loro.id(), 0u);
    EXPECT_FALSE(qvUtilita().ShowFinestraConTitolo(unico("nessuna finestra ha questo titolo ")));
    EXPECT_FALSE(qvUtilita().ShowFinestraConTitolo(QString()));
}

TEST(ShowFinestraConTitoloWindowManager, BringsBackAMinimisedWindow)
{
    AltraFinestra loro(unico("RIDOTTA "), QRect(100, 100, 300, 200));
    ASSERT_NE(loro.id(), 0u);
    X x;
    // Minimised once the window manager has taken it in: a request made
    // before that (as a busy machine lets happen) would be lost.
    ASSERT_TRUE(presaDalWindowManager(x, loro.id()))
        << "the window manager did not take the window in: listed " << x.managed(loro.id()) << ", WM_STATE "
        << x.wmState(loro.id()) << ", viewable " << x.viewable(loro.id());
    x.iconify(loro.id());
    ASSERT_TRUE(attendiX([&] { return x.iconic(loro.id()) && !x.viewable(loro.id()); }, {loro.id()}))
        << "the window was not minimised";
    EXPECT_TRUE(qvUtilita().ShowFinestraConTitolo(unico("ridotta ")));
    EXPECT_TRUE(attendiX([&] { return x.normal(loro.id()) && x.viewable(loro.id()); }, {loro.id()}));
}

// --- Keeping a window above the others -------------------------------------

class TopMostTest : public ::testing::TestWithParam<Chi>
{};

TEST_P(TopMostTest, SetsAndClearsTheAboveState)
{
    X x;
    if (GetParam().altroProgramma) {
        AltraFinestra loro(QStringLiteral("Sempre in primo piano"), QRect(100, 100, 200, 100));
        ASSERT_NE(loro.id(), 0u);
        ASSERT_TRUE(attendiX([&] { return x.viewable(loro.id()); }, {loro.id()}));
        qvUtilita().FinetraTopMost(int32_t(loro.id()), true);
        EXPECT_TRUE(attendiX([&] { return x.above(loro.id()); }, {loro.id()}));
        qvUtilita().FinetraTopMost(int32_t(loro.id()), false);
        EXPECT_TRUE(attendiX([&] { return !x.above(loro.id()); }, {loro.id()}));
        return;
    }
    QWidget nostra;
    nostra.setWindowTitle(QStringLiteral("Sempre in primo piano"));
    nostra.setGeometry(100, 100, 200, 100);
    nostra.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&nostra, LimiteAttesa));
    const uint32_t id = uint32_t(nostra.winId());
    qvUtilita().FinetraTopMost(int32_t(id), true);
    EXPECT_TRUE(nostra.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(nostra.isVisible());
    EXPECT_EQ(uint32_t(nostra.winId()), id); // the same native window, never hidden
    if (windowManager) {
        EXPECT_TRUE(attendiX([&] { return x.above(id); }, {id}));
    }
    qvUtilita().FinetraTopMost(int32_t(id), false);
    EXPECT_FALSE(nostra.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(nostra.isVisible());
    if (windowManager) {
        EXPECT_TRUE(attendiX([&] { return !x.above(id); }, {id}));
    }
}

INSTANTIATE_TEST_SUITE_P(Windows, TopMostTest,
                         ::testing::Values(Chi{"another_program", true}, Chi{"this_program", false}));

TEST(FinetraTopMost, AnIdOfNoWindowIsLeftAlone)
{
    qvUtilita().FinetraTopMost(0x7ffffff0, true);
    qvUtilita().FinetraTopMost(0, false);
}

// --- The gradient covered and uncovered ------------------------------------

/// The screen's pixels where \a widget lies.
QImage sulloSchermo(QWidget &widget)
{
    const QPoint origin = widget.mapToGlobal(QPoint(0, 0));
    return widget.screen()
        ->grabWindow(0, origin.x(), origin.y(), widget.width(), widget.height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

/// True when \a image shows the default bands: 60 of 10 rows from blue 255
/// down by 4.
bool mostraLeBande(const QImage &image)
{
    if (image.height() != 600)
        return false;
    for (int band = 0; band < 60; ++band)
        for (const int row : {band * 10, band * 10 + 9})
            if (image.pixelColor(image.width() / 2, row) != QColor(0, 0, 255 - band * 4))
                return false;
    return true;
}

TEST(SfumaForm, TheBandsAreThereAgainAfterTheWindowIsCoveredAndUncovered)
{
    QWidget nostra;
    nostra.setWindowTitle(QStringLiteral("Sfumatura"));
    nostra.setGeometry(200, 100, 240, 600);
    nostra.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&nostra, LimiteAttesa));
    qvUtilita().SfumaForm(&nostra);
    ASSERT_TRUE(waitFor([&] { return mostraLeBande(sulloSchermo(nostra)); }));

    const QString folder = QStringLiteral(QV_ARTIFACT_DIR);
    QDir().mkpath(folder);
    EXPECT_TRUE(sulloSchermo(nostra).save(folder + QStringLiteral("/sfumaform.png")));
    {
        const QRect area(nostra.mapToGlobal(QPoint(0, 0)), nostra.size());
        AltraFinestra copertura(QStringLiteral("Copertura"), area);
        ASSERT_NE(copertura.id(), 0u);
        X x;
        ASSERT_TRUE(waitFor([&] {
            return x.viewable(copertura.id()) && x.stackingIndex(copertura.id()) > x.stackingIndex(nostra.winId())
                   && !mostraLeBande(sulloSchermo(nostra));
        })) << "the window was not covered";
    }
    EXPECT_TRUE(waitFor([&] { return mostraLeBande(sulloSchermo(nostra)); }));
}

} // namespace
} // namespace qv

int main(int argc, char **argv)
{
    const bool openbox = argc > 1 && QByteArray(argv[1]) == "--openbox";
    if (openbox) {
        --argc;
        ++argv;
    }
    const QString artifacts = QStringLiteral(QV_ARTIFACT_DIR);
    QDir().mkpath(artifacts);
    qv::test::OwnXvfb own;
    qv::test::ChildProcess manager;
    QByteArray display;
    if (openbox) {
        // A display of our own, so that the window manager changes nothing
        // for the tests that share :99.
        display = own.start(artifacts + QStringLiteral("/xvfb-openbox.log"));
        if (display.isEmpty() || !qv::test::xServerAnswers(display))
            return qv::test::noXServerExitCode();
        qv::test::useDisplay(display);
        if (!manager.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")},
                           artifacts + QStringLiteral("/openbox.log"))) {
            std::fprintf(stderr, "openbox cannot be started\n");
            return 1;
        }
    } else {
        display = qv::test::displayForTests(own, artifacts);
        if (display.isEmpty())
            return qv::test::noXServerExitCode();
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    if (openbox) {
        // The window manager is there once it names itself on the root window.
        qv::windowManager = qv::attendiX(qv::windowManagerNamed);
        // It names itself before it has finished starting; it has once it
        // takes in a window.
        if (qv::windowManager) {
            qv::AltraFinestra prova(QStringLiteral("Prova del window manager"));
            qv::X x;
            qv::windowManager = prova.id() != 0 && qv::presaDalWindowManager(x, prova.id());
        }
        if (!qv::windowManager || !manager.running()) {
            std::fprintf(stderr, "openbox does not manage the display %s\n", display.constData());
            return 1;
        }
    } else {
        // Without a window manager nothing can minimise a window.
        std::string &filter = ::testing::GTEST_FLAG(filter);
        filter += filter.find('-') == std::string::npos ? "-*WindowManager*" : ":*WindowManager*";
    }
    return RUN_ALL_TESTS();
}
