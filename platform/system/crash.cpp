#include "platform/system/crash.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>

#include "platform/system/fatal.h"

namespace {

uintptr_t stackLow = 0;  // lowest address of the main thread's stack
constexpr uintptr_t kGuardReach = 1u << 20;

void RecordStackBounds() {
  pthread_attr_t attr;
  if (pthread_getattr_np(pthread_self(), &attr) != 0) return;
  void* addr = nullptr;
  size_t size = 0;
  if (pthread_attr_getstack(&attr, &addr, &size) == 0) stackLow = reinterpret_cast<uintptr_t>(addr);
  pthread_attr_destroy(&attr);
}

bool InStackGuard(const void* address) {
  const auto a = reinterpret_cast<uintptr_t>(address);
  // The fault lies just below the lowest stack page: the stack ran into its guard region.
  return stackLow != 0 && a < stackLow + 4096 && a + kGuardReach >= stackLow;
}

void WriteStderr(const char* text) {
  ssize_t ignored = write(STDERR_FILENO, text, std::strlen(text));
  (void)ignored;
}

void OnFault(int sig, siginfo_t* info, void*) {
  const char* name = ExceptionName(sig, info->si_code, info->si_addr);
  WriteStderr("Windows exception: ");
  WriteStderr(name);
  WriteStderr("\n");
  ShowMessageBox("Windows exception", name);
  CloseScreenForExit();
  _exit(128 + sig);
}

}  // namespace

const char* ExceptionName(int sig, int code, const void* address) {
  switch (sig) {
    case SIGSEGV:
      return InStackGuard(address) ? "EXCEPTION_STACK_OVERFLOW" : "EXCEPTION_ACCESS_VIOLATION";
    case SIGBUS:
      return "EXCEPTION_DATATYPE_MISALIGNMENT";
    case SIGTRAP:
      return "EXCEPTION_BREAKPOINT";
    case SIGILL:
      return code == ILL_PRVOPC ? "EXCEPTION_PRIV_INSTRUCTION" : "EXCEPTION_ILLEGAL_INSTRUCTION";
    case SIGFPE:
      switch (code) {
        case FPE_INTDIV: return "EXCEPTION_INT_DIVIDE_BY_ZERO";
        case FPE_INTOVF: return "EXCEPTION_INT_OVERFLOW";
        case FPE_FLTDIV: return "EXCEPTION_FLT_DIVIDE_BY_ZERO";
        case FPE_FLTOVF: return "EXCEPTION_FLT_OVERFLOW";
        case FPE_FLTUND: return "EXCEPTION_FLT_UNDERFLOW";
        case FPE_FLTRES: return "EXCEPTION_FLT_INEXACT_RESULT";
        case FPE_FLTINV: return "EXCEPTION_FLT_INVALID_OPERATION";
        default: return "EXCEPTION_UNKNOWN";
      }
    default:
      return "EXCEPTION_UNKNOWN";
  }
}

void InstallCrashHandler() {
  RecordStackBounds();
  static char altStack[64 * 1024];
  stack_t ss{};
  ss.ss_sp = altStack;
  ss.ss_size = sizeof altStack;
  sigaltstack(&ss, nullptr);

  struct sigaction sa{};
  sa.sa_sigaction = OnFault;
  sa.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESETHAND;
  sigemptyset(&sa.sa_mask);
  for (int sig : {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGTRAP}) sigaction(sig, &sa, nullptr);
}
