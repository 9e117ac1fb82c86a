#include "player/common/KVGameView.h"

#include <GL/gl.h>

#include <chrono>
#include <optional>

#include "engine/bridge/LuaErrorException.h"
#include "platform/clock/KVDate.h"
#include "platform/gl/GLDrawingState.h"
#include "platform/gl/KVQuadBatch.h"
#include "platform/objects/KVLogLine.h"
#include "platform/objects/KVNumber.h"
#include "platform/objects/KVString.h"
#include "platform/runloop/KVThreadWait.h"
#include "player/common/KVKeyNames.h"
#include "player/common/KVLuaState.h"

namespace {

constexpr float kFixedStep = 1.0f / 60.0f;

// Whether the script has a global table; the shell only hands screen sizes
// to scripts that keep a `devices` table.
bool hasGlobalTable(lua_State* L, const char* name)
{
    lua_getglobal(L, name);
    const bool table = lua_istable(L, -1);
    lua_pop(L, 1);
    return table;
}

// Runs a call into the script as the shell's frame loop does: a Lua error
// is logged with the view's method and ignored.
template <class Call>
void ignoringLuaError(const char* method, Call call)
{
    try {
        call();
    } catch (const LuaErrorException& e) {
        KVLogLine("KVGameView %s: Lua Error caught (and ignored): %s", method, e.luaError().c_str());
    }
}

}  // namespace

class KVGameView::FrameLock {
public:
    explicit FrameLock(KVGameView& view, KVLuaState* state = nullptr) : context_(view.contextMutex_, std::defer_lock)
    {
        KVThreadWait::acquire([this] { return context_.try_lock(); }, [this] { context_.lock(); });
        if (state)
            state_.emplace(*state);
    }
    FrameLock(const FrameLock&) = delete;
    FrameLock& operator=(const FrameLock&) = delete;

private:
    // Members are released in reverse: the state lock before the context's.
    std::unique_lock<std::mutex> context_;
    std::optional<KVLuaState::StateLock> state_;
};

KVGameView::KVGameView(KVGameWindow& window) : window_(window)
{
    const KVSize bounds = window_.contentSize();
    if (bounds.width > 0 && bounds.height > 0)
        originalAspectRatio_.store(static_cast<float>(bounds.width / bounds.height));
}

KVGameView::~KVGameView() = default;

void KVGameView::setLuaState(KVLuaState* state)
{
    luaState_.store(state);
}

void KVGameView::setDrawingEnabled(bool enabled)
{
    drawingEnabled_.store(enabled);
}

double KVGameView::frameTimerInterval() const
{
    return static_cast<double>(animationFrameInterval()) * SecondsPerFrameInterval;
}

double KVGameView::scheduledTimerInterval() const
{
    return timerLoop_ ? timerLoop_->timerInterval(animationTimer_) : -1;
}

KVViewGeometry KVGameView::geometry() const
{
    std::lock_guard<std::mutex> lock(geometryMutex_);
    return geometry_;
}

void KVGameView::prepareOpenGL()
{
    KVSetGameViewDrawingState();
}

void KVGameView::applyPendingViewport()
{
    window_.prepareForDrawing();
    std::lock_guard<std::mutex> lock(geometryMutex_);
    if (!viewportPending_)
        return;
    viewportPending_ = false;
    const KVViewport& v = geometry_.viewport;
    KVFlushQuads();  // collected for the old viewport
    glViewport(v.x, v.y, v.width, v.height);
    // A new surface holds whatever its memory held: what the game never
    // draws (a scene without a clear node, the bars around the game) is
    // black. The clear colour and scissor the game may have set are kept.
    GLfloat clearColor[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColor);
    const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(clearColor[0], clearColor[1], clearColor[2], clearColor[3]);
    if (scissor)
        glEnable(GL_SCISSOR_TEST);
}

void KVGameView::setOverlay(Overlay overlay)
{
    Overlay old;  // released outside the lock
    std::lock_guard<std::mutex> lock(overlayMutex_);
    old = std::move(overlay_);
    overlay_ = std::move(overlay);
}

bool KVGameView::drawOverlay()
{
    Overlay overlay;
    {
        std::lock_guard<std::mutex> lock(overlayMutex_);
        overlay = overlay_;
    }
    return overlay && overlay(window_.drawableSize());
}

void KVGameView::redisplayOverlay()
{
    // A running loop draws the overlay with its next frame.
    if (animating())
        return;
    window_.context().makeCurrent();
    {
        FrameLock lock(*this);
        if (!drawOverlay())
            return;
        glFinish();
    }
    window_.context().swap();
}

void KVGameView::play()
{
    window_.context().makeCurrent();
    window_.prepareDrawingThread();
    KVLuaState* state = luaState();
    if (state)
        state->makeOpenALContextCurrent();
    if (state && state->S()) {
        FrameLock lock(*this, state);
        ignoringLuaError("play", [state] { KV_Play(state->S()); });
    }
    resetTimebase();
    startAnimation();
}

void KVGameView::pauseInitiatedBySystem(bool system)
{
    stopAnimation();
    window_.context().makeCurrent();
    KVLuaState* state = luaState();
    if (!state || !state->S())
        return;
    state->makeOpenALContextCurrent();
    FrameLock lock(*this, state);
    ignoringLuaError("pause", [state, system] {
        if (system)
            KV_SystemInitiatedPause(state->S());
        else
            KV_BehaviorInitiatedPause(state->S());
    });
}

void KVGameView::stop()
{
    stopAnimation();
    window_.context().makeCurrent();
    KVLuaState* state = luaState();
    if (!state || !state->S())
        return;
    state->makeOpenALContextCurrent();
    FrameLock lock(*this, state);
    ignoringLuaError("stop", [state] { KV_Stop(state->S()); });
}

void KVGameView::resetTimebase()
{
    currentTime_ = KVDate::getTimeAsFloat();
}

void KVGameView::startAnimation()
{
    if (animating())
        return;
    KVRunLoop* loop = KVRunLoop::current();
    if (!loop) {
        KVLogLine("KVGameView: no run loop on this thread; frames cannot be scheduled");
        return;
    }
    timerLoop_ = loop;
    animationTimer_ = loop->addTimer(frameOptions_.backToBack ? 0 : frameTimerInterval(), [this] { drawView(); });
    animating_.store(true);
}

void KVGameView::stopAnimation()
{
    if (!animating())
        return;
    timerLoop_->invalidateTimer(animationTimer_);
    timerLoop_ = nullptr;
    animationTimer_ = 0;
    animating_.store(false);
}

void KVGameView::drawView()
{
    const long frame = frames_.load();
    const auto started = std::chrono::steady_clock::now();
    if (frameOptions_.beforeFrame) {
        frameOptions_.beforeFrame(frame);
        // An event of this frame paused the game (a keyboard prompt) or
        // ended it: the frame waits for play again, as it does when the
        // event comes from a window between two frames.
        if (!animating())
            return;
    }

    window_.context().makeCurrent();
    if (KVLuaState* state = luaState())
        state->makeOpenALContextCurrent();
    {
        FrameLock lock(*this);
        applyPendingViewport();
        drawFrame();
        KVFlushQuads();  // what the script drew outside its scene's render
        drawOverlay();
        glFinish();
        frames_.store(frame + 1);
        if (frameOptions_.afterFrame) {
            const auto elapsed = std::chrono::steady_clock::now() - started;
            frameOptions_.afterFrame(frame, std::chrono::duration<double, std::milli>(elapsed).count());
        }
    }
    window_.context().swap();
}

void KVGameView::drawFrame()
{
    const float now = KVDate::getTimeAsFloat();
    float elapsed = now - currentTime_;
    currentTime_ = now;
    if (frameOptions_.fixedStep)
        elapsed = kFixedStep;
    KVLuaState* state = luaState();
    if (!state || !state->S())
        return;
    KVLuaState::StateLock lock(*state);
    ignoringLuaError("drawFrame", [state, elapsed] { KV_Update(state->S(), elapsed); });
}

void KVGameView::drawRect()
{
    if (drawingEnabled()) {
        refreshFrame();
        return;
    }
    window_.context().makeCurrent();
    {
        FrameLock lock(*this);
        applyPendingViewport();
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    window_.context().swap();
}

void KVGameView::refreshFrame()
{
    KVLuaState* state = luaState();
    if (!state || !state->S())
        return;
    window_.context().makeCurrent();
    {
        FrameLock lock(*this);
        applyPendingViewport();
        {
            KVLuaState::StateLock scriptLock(*state);
            ignoringLuaError("refreshFrame", [state] { KV_Render(state->S()); });
        }
        KVFlushQuads();
        drawOverlay();
        glFinish();
    }
    window_.context().swap();
}

void KVGameView::reshape()
{
    {
        FrameLock lock(*this);
        std::lock_guard<std::mutex> geometryLock(geometryMutex_);
        geometry_ = KVViewGeometry::reshape(window_.drawableSize(), fullScreen(), cropToFit(), originalAspectRatio(),
                                            geometry_.currentAspectRatio);
        // Applied by whichever thread draws next: the context is current
        // there, not here.
        viewportPending_ = true;
    }
    updateScreenSize(window_.contentSize());
}

void KVGameView::updateScreenSize(KVSize size)
{
    KVLuaState* state = luaState();
    if (!state || !state->S())
        return;
    KVLuaState::StateLock lock(*state);
    ignoringLuaError("updateScreenSize", [state, size] {
        // Every reshape, changed or not: scripts redo their layout on it.
        if (hasGlobalTable(state->state(), "devices"))
            KV_SetScreenSize(state->S(), static_cast<int>(size.width), static_cast<int>(size.height));
    });
}

void KVGameView::setFullScreen(bool fullScreen)
{
    fullScreen_.store(fullScreen);
    if (fullScreen) {
        window_.setFullScreen(true);
    } else {
        window_.setFullScreen(false);
        if (KVLuaState* state = luaState()) {
            const KVSize size = state->intendedDisplaySize();
            if (size.width > 0 && size.height > 0)
                window_.setCenteredContentSize(size);
        }
    }
    reshape();
}

void KVGameView::keyDown(const KVKeyEvent& event)
{
    if (event.isEscape && fullScreen())
        setFullScreen(false);
    keyEvent(event, KVKeyDownFunction);
}

void KVGameView::keyUp(const KVKeyEvent& event)
{
    keyEvent(event, KVKeyUpFunction);
}

void KVGameView::keyEvent(const KVKeyEvent& event, const char* function)
{
    if (event.isRepeat)
        return;
    const std::string name = KVKeyNames::nameForCharacter(event.character);
    // A dead key types nothing and so posts nothing.
    if (name.empty())
        return;
    postEvent(function, {KVString::withString(name)});
}

void KVGameView::flagsChanged(uint64_t modifierFlags)
{
    currentModifierFlags_ = modifierFlags;
    for (const auto& t : KVKeyNames::modifierTransitions(previousModifierFlags_, currentModifierFlags_))
        postEvent(t.function, {KVString::withString(t.name)});
    previousModifierFlags_ = currentModifierFlags_;
}

namespace {

// Backing pixels per point of the window.
KVSize backingScale(KVSize content, KVSize drawable)
{
    return {content.width > 0 ? drawable.width / content.width : 1,
            content.height > 0 ? drawable.height / content.height : 1};
}

}  // namespace

KVPoint KVGameView::convertWindowPoint(KVPoint windowPoint) const
{
    const KVSize content = window_.contentSize();
    const KVPoint viewPoint{windowPoint.x, content.height - windowPoint.y};
    return geometry().convertPoint(viewPoint, backingScale(content, window_.drawableSize()));
}

KVPoint KVGameView::windowPointForGamePoint(KVPoint gamePoint) const
{
    const KVSize content = window_.contentSize();
    const KVPoint viewPoint = geometry().viewPointFor(gamePoint, backingScale(content, window_.drawableSize()));
    return {viewPoint.x, content.height - viewPoint.y};
}

void KVGameView::postMouse(const char* function, KVPoint windowPoint)
{
    const KVPoint p = convertWindowPoint(windowPoint);
    postEvent(function, {KVNumber::withFloat(static_cast<float>(p.x)), KVNumber::withFloat(static_cast<float>(p.y))});
}

void KVGameView::mouseDown(KVPoint windowPoint)
{
    postMouse("mouseDown", windowPoint);
}

void KVGameView::mouseUp(KVPoint windowPoint)
{
    postMouse("mouseUp", windowPoint);
}

void KVGameView::mouseMoved(KVPoint windowPoint)
{
    postMouse("mouseMoved", windowPoint);
}

void KVGameView::postEvent(const std::string& function, const LuaArguments& args)
{
    KVLuaState* state = luaState();
    if (!state)
        return;
    if (frameOptions_.onInput)
        frameOptions_.onInput(frames_.load(), function, args);
    state->callFunction(function, args);
}

void KVGameView::deliverEvent(const std::string& function, const LuaArguments& args)
{
    try {
        KVGameView::postEvent(function, args);
    } catch (const LuaErrorException& e) {
        KVLogLine("LuaState runLoop: Lua Error caught (and ignored): %s", e.luaError().c_str());
    }
}
