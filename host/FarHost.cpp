// FarHost as a whole: one host per process, and the panels it keeps.
#include "FarHost.h"

FarHost::FarHost(Options opts) : options(std::move(opts)) {
  if (FarHost* other = farhost::ServedHost()) {
    Fail("a second FarHost was created while another one is alive");
    other->Fail("a second FarHost was created while this one is alive");
  }
  farhost::SetServedHost(this);
}

FarHost::~FarHost() {
  Unload();
  if (farhost::ServedHost() == this) farhost::SetServedHost(nullptr);
}

FarHost::Panel* FarHost::FindPanel(HANDLE handle) const {
  for (const auto& p : panels)
    if (!p->closed && p->handle == handle) return p.get();
  return nullptr;
}

FarHost::Panel* FarHost::LastOpenPanel() const {
  for (auto it = panels.rbegin(); it != panels.rend(); ++it)
    if (!(*it)->closed) return it->get();
  return nullptr;
}

void FarHost::OnPanelClosed(Panel& panel) {
  if (activePanel == &panel) activePanel = nullptr;
}
