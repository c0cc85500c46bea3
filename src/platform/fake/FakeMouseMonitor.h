#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "platform/HandlerList.h"
#include "platform/MouseMonitor.h"

namespace brindlow::fake {

// Mouse monitors that see only what the test emits. Records every monitor added and removed.
class FakeMouseMonitor : public platform::MouseMonitor {
 public:
  enum class Kind { global, local };
  struct Record {
    Kind kind;
    uint32_t mask;
    bool operator==(const Record&) const = default;
  };

  FakeMouseMonitor();
  ~FakeMouseMonitor() override;

  std::optional<platform::Subscription> addGlobalMonitor(uint32_t mask,
                                                         std::function<void(const platform::MouseEvent&)> handler) override;
  std::optional<platform::Subscription> addLocalMonitor(uint32_t mask,
                                                        std::function<void(const platform::MouseEvent&)> handler) override;

  // Drivers: deliver one event to every live monitor of that kind whose mask has the type's bit.
  void emitGlobal(platform::MouseEventType type, platform::Seconds timestamp);
  void emitLocal(platform::MouseEventType type, platform::Seconds timestamp);
  // While set, every add is refused (returns nullopt) and not recorded as added.
  void setRefuseMonitors(bool refuse) { refuse_ = refuse; }
  // Refuses only the next add.
  void failNextAdd() { failNext_ = true; }

  // Inspection.
  const std::vector<Record>& added() const { return added_; }
  const std::vector<Record>& removed() const { return removed_; }
  std::vector<Record> live() const;  // in the order added
  size_t liveCount(Kind kind) const;

 private:
  std::optional<platform::Subscription> add(Kind kind, uint32_t mask,
                                            std::function<void(const platform::MouseEvent&)> handler);
  void emit(Kind kind, platform::MouseEventType type, platform::Seconds timestamp);

  bool refuse_ = false;
  bool failNext_ = false;
  platform::HandlerList<void(const platform::MouseEvent&), Record> monitors_;
  std::vector<Record> added_;
  std::vector<Record> removed_;
};

}  // namespace brindlow::fake
