# The installer and the stand-in payloads, cross-built for 32-bit Windows.
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
# so that two builds of the same sources are byte-identical.
set(lumifold_link_options
  -static -s -Wl,--gc-sections -Wl,--no-insert-timestamp
  -Wl,--major-os-version,4 -Wl,--minor-os-version,0
  -Wl,--major-subsystem-version,4 -Wl,--minor-subsystem-version,0)

function(add_lumifold_program target)
  add_executable(${target} ${ARGN})
  target_compile_options(${target} PRIVATE ${lumifold_compile_options})
  target_link_options(${target} PRIVATE ${lumifold_link_options})
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR})
endfunction()

add_lumifold_program(lumifold_standin WIN32 standins/application/lumifold.cpp)
set_target_properties(lumifold_standin PROPERTIES OUTPUT_NAME Lumifold)
add_lumifold_program(uninstaller_standin standins/uninstaller/uninstaller.cpp)
set_target_properties(uninstaller_standin PROPERTIES OUTPUT_NAME TevikUninstaller)

if(LUMIFOLD_APPLICATION)
  set(application ${LUMIFOLD_APPLICATION})
else()
  set(application $<TARGET_FILE:lumifold_standin>)
endif()
if(LUMIFOLD_UNINSTALLER)
  set(uninstaller ${LUMIFOLD_UNINSTALLER})
else()
  set(uninstaller $<TARGET_FILE:uninstaller_standin>)
endif()

# Each program becomes one zlib stream; the packer fails the build for a stream that would
# not inflate into the multiple of its size that the installer reserves.
set(payload_dir ${CMAKE_BINARY_DIR})
add_custom_command(OUTPUT ${payload_dir}/payload_application.z
  COMMAND ${LUMIFOLD_PACKER} ${application} ${payload_dir}/payload_application.z 3
  DEPENDS ${application} VERBATIM)
add_custom_command(OUTPUT ${payload_dir}/payload_uninstaller.z
  COMMAND ${LUMIFOLD_PACKER} ${uninstaller} ${payload_dir}/payload_uninstaller.z 4
  DEPENDS ${uninstaller} VERBATIM)
add_custom_command(OUTPUT ${payload_dir}/payload_license.txt
  COMMAND ${CMAKE_COMMAND} -E copy ${LUMIFOLD_LICENSE} ${payload_dir}/payload_license.txt
  DEPENDS ${LUMIFOLD_LICENSE} VERBATIM)
set_source_files_properties(resources/setup.rc PROPERTIES OBJECT_DEPENDS
  "${payload_dir}/payload_application.z;${payload_dir}/payload_uninstaller.z;${payload_dir}/payload_license.txt;${CMAKE_SOURCE_DIR}/resources/setup.ico;${CMAKE_SOURCE_DIR}/ui/resource.h")

add_lumifold_program(SETUP WIN32
  setup/setup_main.cpp setup/version_gate.cpp setup/version_rule.cpp setup/path_join.cpp
  setup/cached_content.cpp setup/running_instance.cpp setup/dll_search.cpp
  ui/setup_dialog.cpp
  install/install_sequence.cpp install/payload.cpp install/inflate.cpp install/shortcuts.cpp
  install/uninstall_entry.cpp install/uninstall_command.cpp ui/install_message.cpp
  partner/partner_key.cpp partner/partner_settings.cpp partner/partner_key_rule.cpp
  partner/settings_document.cpp
  resources/setup.rc)
target_link_libraries(SETUP PRIVATE z uuid ole32 shell32 advapi32 user32 kernel32)
