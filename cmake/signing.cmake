# Authenticode signatures for release builds given LUMIFOLD_SIGN_CERT (the certificate and any
# intermediate ones, PEM) and LUMIFOLD_SIGN_KEY (its private key, PEM, not encrypted): a SHA-1
# signature, which Windows XP needs, with a SHA-256 one nested in it for later Windows, each
# time-stamped when LUMIFOLD_TIMESTAMP_URL names an RFC 3161 server. Both carry the build's fixed
# date as their signing time, so that a signed build is as reproducible as an unsigned one:
# LUMIFOLD_SIGN_TIME (seconds since 1970), else SOURCE_DATE_EPOCH, else the source tree's last
# commit.
if(LUMIFOLD_SIGN_CERT)
  find_program(LUMIFOLD_OSSLSIGNCODE osslsigncode REQUIRED)
  if(NOT LUMIFOLD_SIGN_KEY)
    message(FATAL_ERROR "LUMIFOLD_SIGN_CERT is set but not LUMIFOLD_SIGN_KEY")
  endif()
  if(NOT LUMIFOLD_SIGN_TIME AND DEFINED ENV{SOURCE_DATE_EPOCH})
    set(LUMIFOLD_SIGN_TIME $ENV{SOURCE_DATE_EPOCH})
  endif()
  if(NOT LUMIFOLD_SIGN_TIME)
    execute_process(COMMAND git log -1 --format=%ct WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
      OUTPUT_VARIABLE LUMIFOLD_SIGN_TIME OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  endif()
  if(NOT LUMIFOLD_SIGN_TIME MATCHES "^[0-9]+$")
    message(FATAL_ERROR "no signing time: set LUMIFOLD_SIGN_TIME or SOURCE_DATE_EPOCH")
  endif()
endif()

# What the signatures depend on: a change (signing turned on or off, another certificate or
# time) relinks and so re-signs every signed program.
set(signing_inputs ${CMAKE_BINARY_DIR}/signing_options.txt)
file(CONFIGURE OUTPUT ${signing_inputs} CONTENT
  "${LUMIFOLD_SIGN_CERT}\n${LUMIFOLD_SIGN_KEY}\n${LUMIFOLD_SIGN_TIME}\n${LUMIFOLD_TIMESTAMP_URL}\n")
if(LUMIFOLD_SIGN_CERT)
  list(APPEND signing_inputs ${LUMIFOLD_SIGN_CERT} ${LUMIFOLD_SIGN_KEY})
endif()

# Signs the target's program in place right after it is linked, so that what packs or ships it
# takes the signed file. The description is what the UAC prompt shows as the program's name.
# Leaves it unsigned in an unsigned build.
function(sign_lumifold_program target description)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${signing_inputs})
  if(NOT LUMIFOLD_SIGN_CERT)
    return()
  endif()
  set(program $<TARGET_FILE:${target}>)
  set(options -certs ${LUMIFOLD_SIGN_CERT} -key ${LUMIFOLD_SIGN_KEY} -comm -n ${description}
      -i http://www.quorvale.com/ -time ${LUMIFOLD_SIGN_TIME})
  if(LUMIFOLD_TIMESTAMP_URL)
    list(APPEND options -ts ${LUMIFOLD_TIMESTAMP_URL})
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E rm -f ${program}.sha1 ${program}.signed
    COMMAND ${LUMIFOLD_OSSLSIGNCODE} sign ${options} -h sha1 -in ${program} -out ${program}.sha1
    COMMAND ${LUMIFOLD_OSSLSIGNCODE} sign ${options} -h sha256 -nest
            -in ${program}.sha1 -out ${program}.signed
    COMMAND ${CMAKE_COMMAND} -E rename ${program}.signed ${program}
    COMMAND ${CMAKE_COMMAND} -E rm ${program}.sha1
    VERBATIM)
endfunction()
