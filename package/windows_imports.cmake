# The calls the DLL may import, by the oldest Windows that has them; each
# Windows' list holds the older one's. The package check holds the DLL's
# imports to the list of the Windows that install.txt states, and fails on
# any call not in it: add a new call to the list of the oldest Windows that
# has it (its documentation says which). Calls that create, suspend or steer
# threads, or set the clock, never belong here: they come from a thread
# library linked in, which takes a thread-local slot at each load.
set(windows_XP_imports
  # KERNEL32.dll
  AreFileApisANSI CloseHandle CreateFileA CreateFileW CreateMutexA CreateMutexW CreateSemaphoreW
  DeleteCriticalSection DeleteFileA DeleteFileW DeviceIoControl EnterCriticalSection FindClose FindFirstFileA
  FindNextFileA FlushFileBuffers FreeLibrary GetConsoleScreenBufferInfo GetCurrentProcessId
  GetCPInfo GetCurrentThreadId GetDriveTypeA GetFileAttributesA GetFileAttributesExA GetFileAttributesW GetFileInformationByHandle GetFileType GetFullPathNameA
  GetFullPathNameW GetLastError GetModuleHandleA GetModuleHandleW GetProcAddress GetStdHandle
  GetSystemTimeAsFileTime InitializeCriticalSection IsDBCSLeadByteEx LeaveCriticalSection
  LoadLibraryA LoadLibraryW LockFileEx MoveFileExA MultiByteToWideChar ReadFile ReleaseMutex
  ReleaseSemaphore SetEndOfFile SetFilePointer SetFilePointerEx SetFileTime SetLastError Sleep
  TlsAlloc TlsFree TlsGetValue TlsSetValue UnlockFileEx VirtualProtect VirtualQuery
  WaitForSingleObject WideCharToMultiByte WriteFile
  # ADVAPI32.dll
  GetAce GetFileSecurityA GetKernelObjectSecurity GetSecurityDescriptorControl
  GetSecurityDescriptorDacl InitializeSecurityDescriptor MakeSelfRelativeSD SetSecurityDescriptorControl
  SetSecurityDescriptorDacl
  # ntdll.dll
  NtQueryFullAttributesFile NtQueryInformationFile RtlDosPathNameToNtPathName_U RtlFreeUnicodeString
  # msvcrt.dll
  __mb_cur_max _amsg_exit _close _errno _initterm _iob _lock _read _unlock abort atoi calloc
  fputc fputs free fwrite localeconv malloc memchr memcmp memcpy memmove memset realloc
  isxdigit setlocale strchr strcmp strerror strlen strncmp strpbrk strrchr vfprintf wcslen)
set(windows_Vista_imports ${windows_XP_imports}
  GetFileInformationByHandleEx GetFinalPathNameByHandleW GetTickCount64 SetFileInformationByHandle)
