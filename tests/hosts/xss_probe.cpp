// Loaded into XScreenSaver's own settings app (LD_PRELOAD), this asks the
// app what it would show and write, with the app's own code: once its main
// window is up, it prints the names in its list of savers, then for each
// case builds the saver's controls the way the Settings button does
// (load_configurator, which reads the controls file and parses the command
// line into them), changes one control, and prints what that control showed
// and the command line the app would now store (get_configurator_command_line).
// The app exports both functions; GTK's are looked up in the running app, so
// nothing here needs GTK's headers.
//
// Cases come from the file in $KALO_XSS_CASES, one per line:
//   CONTROL <tab> PLACE
// CONTROL is a control's id; PLACE a select's choice (0 for the first) or a
// number. Each case starts from "kalosaver --root" and prints
//   SHOWN <tab> COMMAND LINE <tab> SHOWN WHEN READ BACK
// on standard output.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

using GType = unsigned long;
struct GList {
  void* data;
  GList* next;
  GList* prev;
};
struct TreeIter {
  int stamp;
  void* user_data[3];
};
struct GValue {
  GType type;
  double data[2];
};
constexpr GType kStringType = 16 << 2;  // G_TYPE_STRING

// The app's configurator: the first field is the box holding the controls.
struct ConfData {
  void* widget;
};

template <typename F>
F Find(const char* name) {
  void* f = dlsym(RTLD_DEFAULT, name);
  if (!f) {
    std::fprintf(stderr, "xss_probe: %s not found in the app\n", name);
    _exit(3);
  }
  return reinterpret_cast<F>(f);
}

#define CALL(ret, name, ...) Find<ret (*)(__VA_ARGS__)>(#name)

bool Is(void* widget, const char* type_function) {
  const auto type = Find<GType (*)()>(type_function)();
  return CALL(int, g_type_check_instance_is_a, void*, GType)(widget, type) != 0;
}

std::string TreeText(void* model, TreeIter* iter, int column) {
  GValue value{};
  CALL(void, gtk_tree_model_get_value, void*, TreeIter*, int, GValue*)(model, iter, column, &value);
  const char* text = CALL(const char*, g_value_get_string, GValue*)(&value);
  std::string out = text ? text : "";
  CALL(void, g_value_unset, GValue*)(&value);
  return out;
}

// Calls `visit` on `widget` and everything inside it.
template <typename Visit>
void Walk(void* widget, Visit& visit) {
  visit(widget);
  if (!Is(widget, "gtk_container_get_type")) return;
  auto* children = CALL(GList*, gtk_container_get_children, void*)(widget);
  for (GList* c = children; c; c = c->next) Walk(c->data, visit);
  CALL(void, g_list_free, GList*)(children);
}

void PrintSaverNames() {
  auto* tops = CALL(GList*, gtk_window_list_toplevels)();
  auto visit = [](void* w) {
    if (!Is(w, "gtk_tree_view_get_type")) return;
    void* model = CALL(void*, gtk_tree_view_get_model, void*)(w);
    if (!model) return;
    const int columns = CALL(int, gtk_tree_model_get_n_columns, void*)(model);
    TreeIter it{};
    bool more = CALL(int, gtk_tree_model_get_iter_first, void*, TreeIter*)(model, &it);
    for (; more; more = CALL(int, gtk_tree_model_iter_next, void*, TreeIter*)(model, &it)) {
      for (int c = 0; c < columns; ++c) {
        if (CALL(GType, gtk_tree_model_get_column_type, void*, int)(model, c) == kStringType)
          std::printf("listed\t%s\n", TreeText(model, &it, c).c_str());
      }
    }
  };
  for (GList* t = tops; t; t = t->next) Walk(t->data, visit);
}

void* FindControl(ConfData* conf, const std::string& id) {
  void* control = nullptr;
  auto visit = [&](void* w) {
    const char* name = CALL(const char*, gtk_widget_get_name, void*)(w);
    if (name && id == name) control = w;
  };
  Walk(conf->widget, visit);
  return control;
}

void Changed(void*, void*) {}

// The controls as the Settings button builds them for this command line.
ConfData* Controls(const std::string& line) {
  return CALL(ConfData*, load_configurator, const char*, void (*)(void*, void*), void*, int)(
      line.c_str(), Changed, nullptr, 0);
}

// A select shows its choice's label, a number its value.
std::string Shown(void* control) {
  if (Is(control, "gtk_combo_box_get_type")) {
    const int active = CALL(int, gtk_combo_box_get_active, void*)(control);
    void* model = CALL(void*, gtk_combo_box_get_model, void*)(control);
    TreeIter it{};
    if (!CALL(int, gtk_tree_model_iter_nth_child, void*, TreeIter*, void*, int)(model, &it, nullptr,
                                                                                active))
      return "";
    return TreeText(model, &it, 0);
  }
  const bool spin = Is(control, "gtk_spin_button_get_type");
  char shown[32];
  std::snprintf(shown, sizeof shown, "%g",
                spin ? CALL(double, gtk_spin_button_get_value, void*)(control)
                     : CALL(double, gtk_range_get_value, void*)(control));
  return shown;
}

void Set(void* control, const std::string& place) {
  if (Is(control, "gtk_combo_box_get_type"))
    CALL(void, gtk_combo_box_set_active, void*, int)(control, std::atoi(place.c_str()));
  else if (Is(control, "gtk_spin_button_get_type"))
    CALL(void, gtk_spin_button_set_value, void*, double)(control, std::atof(place.c_str()));
  else
    CALL(void, gtk_range_set_value, void*, double)(control, std::atof(place.c_str()));
}

void RunCase(const std::string& id, const std::string& place) {
  ConfData* conf = Controls("kalosaver --root");
  void* control = FindControl(conf, id);
  if (!control) {
    std::printf("no control %s\n", id.c_str());
    return;
  }
  const std::string before = Shown(control);
  Set(control, place);
  char* written = CALL(char*, get_configurator_command_line, ConfData*, int)(conf, 0);
  void* again = FindControl(Controls(written), id);
  std::printf("%s\t%s\t%s\n", before.c_str(), written, again ? Shown(again).c_str() : "?");
  std::free(written);
}

int Probe(void*) {
  PrintSaverNames();
  const char* cases = std::getenv("KALO_XSS_CASES");
  std::ifstream in(cases ? cases : "");
  for (std::string row; std::getline(in, row);) {
    const size_t tab = row.find('\t');
    RunCase(row.substr(0, tab), row.substr(tab + 1));
  }
  std::fflush(stdout);
  _exit(0);
}

}  // namespace

// The app's main loop starts here; the probe runs once its window is up.
extern "C" int g_application_run(void* app, int argc, char** argv) {
  CALL(unsigned, g_timeout_add, unsigned, int (*)(void*), void*)(1500, Probe, nullptr);
  auto real = reinterpret_cast<int (*)(void*, int, char**)>(dlsym(RTLD_NEXT, "g_application_run"));
  return real(app, argc, argv);
}
