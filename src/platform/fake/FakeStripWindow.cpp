#include "platform/fake/FakeStripWindow.h"

#include "platform/fake/FakeWindowServer.h"

namespace brindlow::fake {

FakeStripWindow::FakeStripWindow(FakeWindowServer* server, GRect frame) : server_(server) { frame_ = frame; }

FakeStripWindow::~FakeStripWindow() {
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
  return frameHandlers_.add(std::move(handler));
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
  frameHandlers_.emit(frameTime);
}

}  // namespace brindlow::fake
