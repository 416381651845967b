// FAR's services to the plugin: the service table, GetMsg from .lng files, Message and Dialog.
#pragma once

#include <string>
#include <vector>

#include "far163.h"

class FarHost;

// One Message call as the plugin made it, and what the scripted user answered.
struct MessageCall {
  int pluginNumber = 0;
  unsigned flags = 0;
  bool helpTopicNull = true;
  std::string helpTopic;
  int itemsNumber = 0;
  int buttonsNumber = 0;
  std::vector<std::string> items;  // every item text (a NULL item is recorded as "")
  int answer = 0;                  // what the host returned

  std::string Title() const { return items.empty() ? std::string() : items[0]; }
  std::vector<std::string> Lines() const;    // body lines between the title and the buttons
  std::vector<std::string> Buttons() const;  // the last buttonsNumber items
};

// One Dialog call: the items as the plugin passed them and as the scripted user left them.
struct DialogCall {
  int pluginNumber = 0;
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  bool helpTopicNull = true;
  std::string helpTopic;
  int itemsNumber = 0;
  std::vector<FarDialogItem> items;   // copies as the plugin passed them in
  std::vector<FarDialogItem> result;  // as the scripted user left them
  int answer = -1;                    // closing item index returned

  std::string Data(int index) const;        // items[index].Data as a string
  std::string ResultData(int index) const;  // result[index].Data as a string
};

namespace farhost {

// The WINAPI functions of the service table. They find the host through ServedHost() and catch
// everything: nothing may unwind into the plugin.
struct FarServices;

// The host the service functions serve: one FarHost at a time per process.
FarHost* ServedHost();
void SetServedHost(FarHost* host);

// Puts FAR's service functions into the record passed to SetStartupInfo.
void FillServiceTable(PluginStartupInfo& info);

}  // namespace farhost
