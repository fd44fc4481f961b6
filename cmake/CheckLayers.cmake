# Layers point one way: a file may include its own layer and the layers below it, never one
# above it. Checked at configure time, so that an upward include fails the build at once.
#
#   text       encodings, case, comparison, masks, description text rules; nothing of ours
#   platform   the host seam: drives, directories, settings store, prompts, progress
#   store      records, the node tree, catalog files
#   scan       media, archives, description files, the disk scan and update
#   browse     item texts, formats, order and commands of the browser
#   classify   categories and flags, the user list, properties of items
#   report     the report generator
#   search     search criteria, the search walk, duplicates, the search thread
#   settings   the settings engine, above the engines whose switches it carries
#   windows    every window and Qt model (the *_ui targets)
#   cli        the command-line tool: engines and settings, no windows
#   app        the program: start-up, shutdown, main()

set(TF_LAYER_ALLOWS_text "")
set(TF_LAYER_ALLOWS_platform text)
set(TF_LAYER_ALLOWS_store text platform)
set(TF_LAYER_ALLOWS_scan text platform store)
set(TF_LAYER_ALLOWS_browse text platform store scan)
set(TF_LAYER_ALLOWS_classify text platform store scan browse)
set(TF_LAYER_ALLOWS_report text platform store scan browse)
set(TF_LAYER_ALLOWS_search text platform store scan browse)
set(TF_LAYER_ALLOWS_settings text platform store scan)
set(TF_LAYER_ALLOWS_windows text platform store scan browse classify report search settings)
set(TF_LAYER_ALLOWS_cli text platform store scan browse classify report search settings)
set(TF_LAYER_ALLOWS_app text platform store scan browse classify report search settings windows)

# Each target's layer; a header belongs to the target of the source file of the same name,
# a header without one to its folder's engine layer.
set(TF_TARGET_LAYERS
  tf_text=text
  tf_platform=platform tf_platform_qt=platform
  tf_store=store
  tf_scan=scan
  tf_browse=browse
  tf_classify=classify
  tf_report=report
  tf_search=search
  tf_settings=settings
  tf_store_ui=windows tf_scan_ui=windows tf_browse_ui=windows tf_classify_ui=windows
  tf_report_ui=windows tf_search_ui=windows tf_app_ui=windows
  tallowfen-cli=cli
  tf_app_shell=app tallowfen=app tallowfen-desktop-files=app)
set(TF_FOLDER_LAYERS
  text=text platform=platform store=store scan=scan browse=browse classify=classify
  report=report search=search settings=settings
  cli=cli app=app)

function(tf_check_layers)
  set(src_root ${PROJECT_SOURCE_DIR}/src)
  # Layer of every source file of the listed targets, by its path without extension.
  foreach(pair IN LISTS TF_TARGET_LAYERS)
    string(REPLACE "=" ";" pair "${pair}")
    list(GET pair 0 target)
    list(GET pair 1 layer)
    if(NOT TARGET ${target})
      message(FATAL_ERROR "Layer check: no target ${target}; update cmake/CheckLayers.cmake")
    endif()
    get_target_property(dir ${target} SOURCE_DIR)
    get_target_property(sources ${target} SOURCES)
    foreach(s IN LISTS sources)
      cmake_path(ABSOLUTE_PATH s BASE_DIRECTORY ${dir} OUTPUT_VARIABLE abs)
      cmake_path(RELATIVE_PATH abs BASE_DIRECTORY ${src_root} OUTPUT_VARIABLE rel)
      cmake_path(REMOVE_EXTENSION rel LAST_ONLY)
      string(MAKE_C_IDENTIFIER "${rel}" key)
      set(layer_of_${key} ${layer})
    endforeach()
  endforeach()
  foreach(pair IN LISTS TF_FOLDER_LAYERS)
    string(REPLACE "=" ";" pair "${pair}")
    list(GET pair 0 folder)
    list(GET pair 1 layer)
    set(folder_layer_${folder} ${layer})
  endforeach()

  file(GLOB_RECURSE files RELATIVE ${src_root} CONFIGURE_DEPENDS ${src_root}/*.h ${src_root}/*.cpp)
  set(faults "")
  foreach(f IN LISTS files)
    tf_layer_of("${f}" from)
    file(STRINGS ${src_root}/${f} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"]+\"")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[^\"]*\"([^\"]+)\".*$" "\\1" inc "${line}")
      if(NOT EXISTS ${src_root}/${inc})
        continue()  # a system or third-party header, or a generated one
      endif()
      tf_layer_of("${inc}" to)
      if(NOT to STREQUAL from AND NOT to IN_LIST TF_LAYER_ALLOWS_${from})
        string(APPEND faults "\n  src/${f} (${from}) includes ${inc} (${to})")
      endif()
    endforeach()
  endforeach()
  if(faults)
    message(FATAL_ERROR "Includes that run up the layers (see cmake/CheckLayers.cmake):${faults}")
  endif()
endfunction()

function(tf_layer_of path out)
  cmake_path(REMOVE_EXTENSION path LAST_ONLY OUTPUT_VARIABLE stem)
  string(MAKE_C_IDENTIFIER "${stem}" key)
  if(DEFINED layer_of_${key})
    set(${out} ${layer_of_${key}} PARENT_SCOPE)
    return()
  endif()
  string(REGEX REPLACE "/.*$" "" folder "${path}")
  if(NOT DEFINED folder_layer_${folder})
    message(FATAL_ERROR "Layer check: src/${path} lies in a folder without a layer; "
                        "update cmake/CheckLayers.cmake")
  endif()
  set(${out} ${folder_layer_${folder}} PARENT_SCOPE)
endfunction()
