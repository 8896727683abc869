# The installer, the uninstaller and the stand-in application, cross-built for 32-bit Windows
# (the release) or, with the x86-64 toolchain, for 64-bit Windows without WOW64.
enable_language(RC)

if(NOT LUMIFOLD_PACKER)
  message(FATAL_ERROR "LUMIFOLD_PACKER must name the host's pack_payload tool")
endif()

# Size first, and nothing that pulls in the C++ runtime: exceptions, RTTI and thread-safe
# statics each bring wide or post-Windows-98 imports.
set(lumifold_compile_options
  -Os -Wall -Wextra -fno-exceptions -fno-rtti -fno-threadsafe-statics
  -ffunction-sections -fdata-sections -fno-asynchronous-unwind-tables)
# Windows 98 loads only images whose OS and subsystem versions are at most 4.0; no time stamp,
# so that two builds of the same sources are byte-identical. Terminal-server aware: a terminal
# server then spares the program its per-user remapping of the Windows folder and the registry;
# loaders before Windows 2000 do not read the flag.
# The 64-bit build asks for Windows Server 2003 x64 and XP x64 (5.2), the first 64-bit ones.
# Entry points are named as the compiler decorates them: stdcall's _Name@0 on 32-bit only.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL x86_64)
  set(os_version 5 2)
  set(entry_format "%s")
else()
  set(os_version 4 0)
  set(entry_format "_%s@0")
endif()
list(GET os_version 0 os_major)
list(GET os_version 1 os_minor)
set(lumifold_link_options
  -static -s -Wl,--gc-sections -Wl,--no-insert-timestamp -Wl,--tsaware
  -Wl,--major-os-version,${os_major} -Wl,--minor-os-version,${os_minor}
  -Wl,--major-subsystem-version,${os_major} -Wl,--minor-subsystem-version,${os_minor})

function(add_lumifold_program target)
  add_executable(${target} ${ARGN})
  target_compile_options(${target} PRIVATE ${lumifold_compile_options})
  target_link_options(${target} PRIVATE ${lumifold_link_options})
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR})
endfunction()

# The version block's numbers: LUMIFOLD_VERSION as text, and as the four 16-bit numbers of the
# fixed part (missing ones are 0).
if(NOT LUMIFOLD_VERSION MATCHES "^[0-9]+(\\.[0-9]+)?(\\.[0-9]+)?(\\.[0-9]+)?$")
  message(FATAL_ERROR "LUMIFOLD_VERSION \"${LUMIFOLD_VERSION}\" is not 1 to 4 dotted numbers")
endif()
string(REPLACE "." ";" version_numbers "${LUMIFOLD_VERSION}.0.0.0")
list(SUBLIST version_numbers 0 4 version_numbers)
foreach(number IN LISTS version_numbers)
  if(number GREATER 65535)
    message(FATAL_ERROR "LUMIFOLD_VERSION \"${LUMIFOLD_VERSION}\": ${number} is above 65535")
  endif()
endforeach()
list(JOIN version_numbers "," PROGRAM_VERSION_NUMBERS)
set(version_header "#define PROGRAM_VERSION_NUMBERS ${PROGRAM_VERSION_NUMBERS}\n")
string(APPEND version_header "#define PROGRAM_VERSION_TEXT \"${LUMIFOLD_VERSION}\"\n")
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/program_version.h CONTENT "${version_header}")

include(${CMAKE_CURRENT_LIST_DIR}/signing.cmake)

# The stand-ins, signed like the product's own programs before they are packed.
add_lumifold_program(lumifold_standin WIN32 standins/application/lumifold.cpp)
set_target_properties(lumifold_standin PROPERTIES OUTPUT_NAME Lumifold)
sign_lumifold_program(lumifold_standin "Quorvale Lumifold")

# The product's uninstaller, the default payload 133. Lean like SETUP.exe (below): its own entry
# point instead of the C start-up code, no zlib, zero-filled data in .bss.
add_lumifold_program(uninstaller WIN32
  common/path_join.cpp common/system_library.cpp common/late_functions.cpp common/dll_search.cpp
  common/uninstaller_path.cpp common/product_data_folder.cpp common/user_folders.cpp
  common/running_application.cpp common/com_library.cpp common/registry_string.cpp
  common/shell_link_file.cpp common/folder_guard.cpp common/install_directory.cpp
  common/desktop_user.cpp
  uninstaller/entry_point.cpp uninstaller/uninstaller_main.cpp uninstaller/uninstall_context.cpp
  uninstaller/removal_rules.cpp uninstaller/file_removal.cpp uninstaller/application_removal.cpp
  uninstaller/shortcut_removal.cpp uninstaller/user_data_removal.cpp
  uninstaller/uninstall_entry_removal.cpp uninstaller/self_removal.cpp uninstaller/copy_folder.cpp
  uninstaller/reboot_deletion.cpp
  uninstaller/uninstaller.rc)
set_target_properties(uninstaller PROPERTIES OUTPUT_NAME TevikUninstaller)
target_link_libraries(uninstaller PRIVATE uuid shell32 advapi32 user32 kernel32)
target_compile_options(uninstaller PRIVATE -fno-data-sections)
string(REPLACE "%s" UninstallerEntryPoint uninstaller_entry ${entry_format})
target_link_options(uninstaller PRIVATE -nostartfiles -Wl,-e,${uninstaller_entry}
  -Wl,--disable-auto-import -Wl,-Map,${CMAKE_BINARY_DIR}/TevikUninstaller.map)
sign_lumifold_program(uninstaller "Quorvale Lumifold Uninstaller")
set_source_files_properties(uninstaller/uninstaller.rc PROPERTIES OBJECT_DEPENDS
  "${CMAKE_SOURCE_DIR}/common/program_identity.rc;${CMAKE_SOURCE_DIR}/common/program.manifest;${CMAKE_BINARY_DIR}/program_version.h")

if(LUMIFOLD_APPLICATION)
  set(application ${LUMIFOLD_APPLICATION})
else()
  set(application $<TARGET_FILE:lumifold_standin>)
endif()
if(LUMIFOLD_UNINSTALLER)
  set(uninstaller ${LUMIFOLD_UNINSTALLER})
else()
  set(uninstaller $<TARGET_FILE:uninstaller>)
endif()

# Each program becomes one zlib stream, never larger than zlib level 9's; with LUMIFOLD_ZOPFLI
# (LUMIFOLD_ZOPFLI_PROGRAM here) zopfli's where smaller. The packer proves each stream against
# the multiple of its size that the installer reserves, and fails the build when level 9's does
# not fit. The options file makes a change of packer options repack.
set(payload_dir ${CMAKE_BINARY_DIR})
set(packer_options "")
if(LUMIFOLD_ZOPFLI_PROGRAM)
  set(packer_options --zopfli ${LUMIFOLD_ZOPFLI_PROGRAM})
endif()
file(CONFIGURE OUTPUT ${payload_dir}/packer_options.txt CONTENT "${packer_options}\n")
add_custom_command(OUTPUT ${payload_dir}/payload_application.z
  COMMAND ${LUMIFOLD_PACKER} ${packer_options} ${application} ${payload_dir}/payload_application.z 3
  DEPENDS ${application} ${LUMIFOLD_PACKER} ${payload_dir}/packer_options.txt VERBATIM)
add_custom_command(OUTPUT ${payload_dir}/payload_uninstaller.z
  COMMAND ${LUMIFOLD_PACKER} ${packer_options} ${uninstaller} ${payload_dir}/payload_uninstaller.z 4
  DEPENDS ${uninstaller} ${LUMIFOLD_PACKER} ${payload_dir}/packer_options.txt VERBATIM)
add_custom_command(OUTPUT ${payload_dir}/payload_license.txt
  COMMAND ${CMAKE_COMMAND} -E copy ${LUMIFOLD_LICENSE} ${payload_dir}/payload_license.txt
  DEPENDS ${LUMIFOLD_LICENSE} VERBATIM)
set_source_files_properties(resources/setup.rc PROPERTIES OBJECT_DEPENDS
  "${payload_dir}/payload_application.z;${payload_dir}/payload_uninstaller.z;${payload_dir}/payload_license.txt;${CMAKE_SOURCE_DIR}/resources/setup.ico;${CMAKE_SOURCE_DIR}/resources/setup_dialog.rc;${CMAKE_SOURCE_DIR}/ui/resource.h;${CMAKE_SOURCE_DIR}/common/program_identity.rc;${CMAKE_SOURCE_DIR}/common/program.manifest;${CMAKE_BINARY_DIR}/program_version.h")

# zlib's inflate, built here from zlib's own sources (third_party/zlib) rather than taken from
# the system's libz.a: at -O3 it inflates as fast as Debian's build (-O2 is 2 % slower, -Os a
# third), and with function sections the linker keeps only what uncompress reaches
# (inflateSync, inflateCopy and the like go): about 5 KB less. zlib's crc32.c is left out:
# install/zlib_crc32.cpp stands in. Only the loops that touch every byte need -O3 (inffast.c's
# decoder and adler32.c, 97 % of the instructions of an inflate of the application): inflate.c's
# state machine and inftrees.c's table builder at -Os are 7 KB smaller for 0.7 % more
# instructions in all (counted with callgrind on the application's stream).
add_library(zlib_inflate STATIC
  third_party/zlib/adler32.c third_party/zlib/inffast.c third_party/zlib/inflate.c
  third_party/zlib/inftrees.c third_party/zlib/uncompr.c third_party/zlib/zutil.c)
target_compile_options(zlib_inflate PRIVATE
  -O3 -ffunction-sections -fdata-sections -fno-asynchronous-unwind-tables)
# The fixed Huffman tables built at their first use into zero-filled data, not carried as 2 KB of
# constants. zlib warns that building them is not thread-safe: the installer's inflations never
# overlap (the worker's ends before Install inflates anything).
target_compile_definitions(zlib_inflate PRIVATE BUILDFIXED)
target_include_directories(zlib_inflate PUBLIC ${CMAKE_SOURCE_DIR}/third_party/zlib)
set_source_files_properties(third_party/zlib/inflate.c third_party/zlib/inftrees.c PROPERTIES
  COMPILE_OPTIONS "-Os;-fno-data-sections")
# On x86-64, -O3 unrolls inffast.c's decoder to 4.8 KB; at -O2 it is 1.4 KB, and with adler32.c
# at -O2 too an inflate of the application runs 1.5 % fewer instructions (callgrind) in the same
# time. The 32-bit build keeps -O3, the fastest there when it was measured.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL x86_64)
  set_source_files_properties(third_party/zlib/inffast.c third_party/zlib/adler32.c PROPERTIES
    COMPILE_OPTIONS "-O2")
endif()

add_lumifold_program(SETUP WIN32
  common/path_join.cpp common/system_library.cpp common/late_functions.cpp common/dll_search.cpp
  common/uninstaller_path.cpp common/product_data_folder.cpp common/folders.cpp
  common/user_folders.cpp common/running_application.cpp common/com_library.cpp
  common/registry_string.cpp common/shell_link_file.cpp common/folder_guard.cpp
  common/install_directory.cpp common/desktop_user.cpp
  setup/setup_context.cpp setup/setup_main.cpp setup/version_gate.cpp setup/version_rule.cpp
  setup/cached_content.cpp setup/running_instance.cpp
  ui/setup_dialog.cpp
  install/install_sequence.cpp install/install_folders.cpp install/launch.cpp install/payload.cpp
  install/inflate.cpp install/shortcuts.cpp
  install/uninstall_entry.cpp install/uninstall_command.cpp ui/install_message.cpp
  partner/partner_key.cpp partner/partner_settings.cpp partner/partner_key_rule.cpp
  partner/settings_document.cpp
  resources/setup.rc)
target_link_libraries(SETUP PRIVATE zlib_inflate uuid shell32 advapi32 user32 kernel32)

# Own weight: no MinGW C start-up code (setup/entry_point.cpp is the entry point; the installer
# has no static constructors and nothing to run at exit), and zlib's inflate alone (above).
# With no start-up code nothing would apply run-time pseudo-relocations: auto-imported data is
# refused at link time instead. Without -fdata-sections, zero-filled data stays in .bss (with
# it, MinGW gives each variable a .data$ section that takes file space). The relocation table
# stays (about 1 KB): an installer often runs elevated, and later Windows randomise its address
# only with it. SETUP.map tells what takes the space.
target_sources(SETUP PRIVATE
  setup/entry_point.cpp install/zlib_crc32.cpp)
target_compile_options(SETUP PRIVATE -fno-data-sections)
string(REPLACE "%s" SetupEntryPoint setup_entry ${entry_format})
target_link_options(SETUP PRIVATE -nostartfiles -Wl,-e,${setup_entry}
  -Wl,--disable-auto-import -Wl,-Map,${CMAKE_BINARY_DIR}/SETUP.map)
sign_lumifold_program(SETUP "Quorvale Lumifold Installer")
