# What each Pixet DLL gets: flat C exports with import libraries, and version information.
include(GNUInstallDirs)

# pixet_c_exports(TARGET DEF)
# Exports the flat C functions of the DLL TARGET that DEF lists, and makes the MSVC
# import library TARGET.lib beside the MinGW one.
#
# DEF is written in the 32-bit form, one "Name@N == Name" line per function: the
# __stdcall symbol Name@N is exported under the plain name Name, and import libraries
# map the decorated symbol callers use to that plain name. The C++ class exports keep
# their own names. The 64-bit build has no decoration, so there each line is "Name".
function(pixet_c_exports target def)
  file(READ ${def} text)
  if(NOT CMAKE_SIZEOF_VOID_P EQUAL 4)
    string(REGEX REPLACE "@[0-9]+ == [A-Za-z0-9_]+" "" text "${text}")
  endif()
  set(generated ${CMAKE_CURRENT_BINARY_DIR}/${target}.def)
  file(GENERATE OUTPUT ${generated} CONTENT "${text}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${def})
  target_sources(${target} PRIVATE ${generated})

  # Run where the library goes: dlltool names the library's own symbols after the path.
  set(lib ${target}.lib)
  set(commands COMMAND ${CMAKE_DLLTOOL} -d ${generated} -D $<TARGET_FILE_NAME:${target}> -l ${lib})
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    # MSVC links 32-bit images with /SAFESEH; it accepts only objects that say they are
    # safe (@feat.00 = 1), which import stubs are: they hold no exception handlers.
    list(APPEND commands COMMAND ${CMAKE_OBJCOPY} --add-symbol @feat.00=1,local ${lib})
  endif()
  add_custom_command(TARGET ${target} POST_BUILD ${commands}
                     BYPRODUCTS ${CMAKE_CURRENT_BINARY_DIR}/${lib}
                     WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR} VERBATIM)
endfunction()

# pixet_version_resource(TARGET DESCRIPTION)
# A VERSIONINFO resource with the project version, built into the DLL TARGET.
function(pixet_version_resource target description)
  get_target_property(PIXET_RC_NAME ${target} OUTPUT_NAME)
  if(NOT PIXET_RC_NAME)
    set(PIXET_RC_NAME ${target})
  endif()
  set(PIXET_RC_FILE ${PIXET_RC_NAME}.dll)
  set(PIXET_RC_DESCRIPTION ${description})
  configure_file(${PROJECT_SOURCE_DIR}/src/core/version.rc.in ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
endfunction()
