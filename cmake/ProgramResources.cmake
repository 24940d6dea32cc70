# Every Windows program of the product carries the same version information and
# icon, made from one resource template: dw_program_resources(target description).
set(DW_PUBLISHER "The Drivewarden developers")
set(DW_COPYRIGHT "Copyright (C) 2026 The Drivewarden developers")
set(DW_ICON "${CMAKE_SOURCE_DIR}/packaging/drivewarden.ico")

function(dw_program_resources target description)
  set(DW_RC_NAME ${target})
  set(DW_RC_DESCRIPTION "${description}")
  set(DW_RC_ICON "${DW_ICON}")
  set(rc "${CMAKE_CURRENT_BINARY_DIR}/${target}-resources.rc")
  configure_file(${CMAKE_SOURCE_DIR}/src/programs/resources/program.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
  # windres does not see the icon as an input of the resource script.
  set_property(SOURCE ${rc} APPEND PROPERTY OBJECT_DEPENDS "${DW_ICON}")
endfunction()
