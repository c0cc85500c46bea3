#include "platform/fake/FakeStripWindow.h"

#include "platform/fake/FakeWindowServer.h"

namespace brindlow::fake {

FakeStripWindow::FakeStripWindow(FakeWindowServer* server, GRect frame) : server_(server) { frame_ = frame; }

FakeStripWindow::~FakeStripWindow() {
  *alive_ = false;
  if (server_ != nullptr) server_->forget(this);
}

void FakeStripWindow::setDrawHandler(std::function<void(platform::Canvas&, GRect)> handler) {
  drawHandler_ = std::move(handler);
}

void FakeStripWindow::setNeedsDisplay(GRect dirtyBottomUp) {
  record("setNeedsDisplay");
  dirty_.push_back(dirtyBottomUp);
}

void FakeStripWindow::setNeedsDisplayAll() {
  record("setNeedsDisplayAll");
  dirtyAll_ = true;
}

void FakeStripWindow::setContentAlpha(double alpha) {
  record("setContentAlpha");
  alpha_ = alpha;
}

platform::Subscription FakeStripWindow::requestAnimationFrames(std::function<void(platform::Seconds)> handler) {
  const int id = nextHandler_++;
  frameHandlers_.emplace(id, std::move(handler));
  std::weak_ptr<bool> alive = alive_;
  return platform::Subscription([this, id, alive] {
    if (auto a = alive.lock(); a && *a) frameHandlers_.erase(id);
  });
}

std::vector<GRect> FakeStripWindow::takeDirty() {
  dirtyAll_ = false;
  return std::exchange(dirty_, {});
}

FakeCanvas FakeStripWindow::draw(GRect dirty) {
  FakeCanvas canvas;
  dirty_.clear();
  dirtyAll_ = false;
  if (drawHandler_) drawHandler_(canvas, dirty);
  return canvas;
}

void FakeStripWindow::deliverAnimationFrame(platform::Seconds frameTime) {
  if (!visible_) return;
  auto copy = frameHandlers_;  // a client may stop its frames from inside
  for (auto& [id, h] : copy) {
    if (frameHandlers_.count(id) != 0 && h) h(frameTime);
  }
}

}  // namespace brindlow::fake
