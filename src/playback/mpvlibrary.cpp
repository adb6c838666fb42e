// The media library's functions that the player calls, defined here under their own names: each
// goes to the library, which is loaded when the first player is made. Linked into the program, the
// library would come at start with some 180 libraries of its own (codecs, filters, speech voices),
// about 34 MiB and tens of milliseconds that a user pays before starting any station, and while the
// banner's engine runs beside it.
#include "mpvlibrary.h"

#include <QtGlobal>
#include <dlfcn.h>
#include <mpv/client.h>
#include <mpv/render.h>

namespace playback {
namespace {

// The file name follows the major version of the interface the headers describe.
static_assert(MPV_CLIENT_API_VERSION >> 16 == 2);
constexpr char kLibraryFile[] = "libmpv.so.2";

struct Library {
  Library() : handle(dlopen(kLibraryFile, RTLD_NOW | RTLD_LOCAL)) {
    if (handle == nullptr) problem = QString::fromLocal8Bit(dlerror());
  }
  void* handle;
  QString problem;
};

// Loaded on first use, once for the process, like a library linked in.
const Library& library() {
  static const Library loaded;
  return loaded;
}

// The library's own function of that name. Only reached once mpv_create() has given a player, so
// with the library loaded; a library without the function is not the one the program was built for.
template <class Function>
Function real(const char* name) {
  void* address = library().handle != nullptr ? dlsym(library().handle, name) : nullptr;
  if (address == nullptr) qFatal("%s has no %s", kLibraryFile, name);
  return reinterpret_cast<Function>(address);
}

}  // namespace

QString mpvLibraryProblem() { return library().problem; }

}  // namespace playback

// Each function finds the library's own once, on its first call.
#define SIECIOWNIK_REAL(name) static const auto name##Real = playback::real<decltype(&::name)>(#name)

extern "C" {

mpv_handle* mpv_create(void) {
  if (playback::library().handle == nullptr) return nullptr;
  SIECIOWNIK_REAL(mpv_create);
  return mpv_createReal();
}
int mpv_initialize(mpv_handle* ctx) {
  SIECIOWNIK_REAL(mpv_initialize);
  return mpv_initializeReal(ctx);
}
void mpv_terminate_destroy(mpv_handle* ctx) {
  SIECIOWNIK_REAL(mpv_terminate_destroy);
  mpv_terminate_destroyReal(ctx);
}
const char* mpv_error_string(int error) {
  SIECIOWNIK_REAL(mpv_error_string);
  return mpv_error_stringReal(error);
}
int mpv_set_option_string(mpv_handle* ctx, const char* name, const char* data) {
  SIECIOWNIK_REAL(mpv_set_option_string);
  return mpv_set_option_stringReal(ctx, name, data);
}
int mpv_command(mpv_handle* ctx, const char** args) {
  SIECIOWNIK_REAL(mpv_command);
  return mpv_commandReal(ctx, args);
}
int mpv_command_async(mpv_handle* ctx, uint64_t reply_userdata, const char** args) {
  SIECIOWNIK_REAL(mpv_command_async);
  return mpv_command_asyncReal(ctx, reply_userdata, args);
}
int mpv_set_property_string(mpv_handle* ctx, const char* name, const char* data) {
  SIECIOWNIK_REAL(mpv_set_property_string);
  return mpv_set_property_stringReal(ctx, name, data);
}
int mpv_set_property_async(mpv_handle* ctx, uint64_t reply_userdata, const char* name, mpv_format format, void* data) {
  SIECIOWNIK_REAL(mpv_set_property_async);
  return mpv_set_property_asyncReal(ctx, reply_userdata, name, format, data);
}
int mpv_get_property(mpv_handle* ctx, const char* name, mpv_format format, void* data) {
  SIECIOWNIK_REAL(mpv_get_property);
  return mpv_get_propertyReal(ctx, name, format, data);
}
int mpv_observe_property(mpv_handle* mpv, uint64_t reply_userdata, const char* name, mpv_format format) {
  SIECIOWNIK_REAL(mpv_observe_property);
  return mpv_observe_propertyReal(mpv, reply_userdata, name, format);
}
int mpv_request_log_messages(mpv_handle* ctx, const char* min_level) {
  SIECIOWNIK_REAL(mpv_request_log_messages);
  return mpv_request_log_messagesReal(ctx, min_level);
}
mpv_event* mpv_wait_event(mpv_handle* ctx, double timeout) {
  SIECIOWNIK_REAL(mpv_wait_event);
  return mpv_wait_eventReal(ctx, timeout);
}
void mpv_set_wakeup_callback(mpv_handle* ctx, void (*cb)(void* d), void* d) {
  SIECIOWNIK_REAL(mpv_set_wakeup_callback);
  mpv_set_wakeup_callbackReal(ctx, cb, d);
}
int mpv_render_context_create(mpv_render_context** res, mpv_handle* mpv, mpv_render_param* params) {
  SIECIOWNIK_REAL(mpv_render_context_create);
  return mpv_render_context_createReal(res, mpv, params);
}
void mpv_render_context_set_update_callback(mpv_render_context* ctx, mpv_render_update_fn callback,
                                            void* callback_ctx) {
  SIECIOWNIK_REAL(mpv_render_context_set_update_callback);
  mpv_render_context_set_update_callbackReal(ctx, callback, callback_ctx);
}
uint64_t mpv_render_context_update(mpv_render_context* ctx) {
  SIECIOWNIK_REAL(mpv_render_context_update);
  return mpv_render_context_updateReal(ctx);
}
int mpv_render_context_render(mpv_render_context* ctx, mpv_render_param* params) {
  SIECIOWNIK_REAL(mpv_render_context_render);
  return mpv_render_context_renderReal(ctx, params);
}
void mpv_render_context_free(mpv_render_context* ctx) {
  SIECIOWNIK_REAL(mpv_render_context_free);
  mpv_render_context_freeReal(ctx);
}

}  // extern "C"
