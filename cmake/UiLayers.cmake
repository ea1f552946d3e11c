# The layers of the user interface's libraries. A flow (the dialogue of a user's action, which
# a screen and the command line both drive) may link the domain and other flows, never a
# screen, a form or the widget kit: the command-line tool links the flows, and a flow that
# reached a screen would carry screen state, and Qt, into it.

# vesk_library_kind(target kind): kind is flow, screen, form or widgets.
function(vesk_library_kind target kind)
  set_property(TARGET ${target} PROPERTY VESK_LIBRARY_KIND ${kind})
  set_property(GLOBAL APPEND PROPERTY VESK_LIBRARIES_OF_KIND_${kind} ${target})
endfunction()

# What a target links, as target names: the link-only wrappers of a static library's private
# dependencies unwrapped, other generator expressions and the markers of links made from
# another folder dropped.
function(vesk_linked_targets target out)
  set(found "")
  foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
    get_target_property(items ${target} ${property})
    if(NOT items)
      continue()
    endif()
    foreach(item IN LISTS items)
      string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" item "${item}")
      if(item MATCHES "^\\$<" OR item MATCHES "^::@" OR NOT TARGET "${item}")
        continue()
      endif()
      get_target_property(aliased ${item} ALIASED_TARGET)
      if(aliased)
        set(item ${aliased})
      endif()
      get_target_property(imported ${item} IMPORTED)
      if(NOT imported)
        list(APPEND found ${item})
      endif()
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES found)
  set(${out} "${found}" PARENT_SCOPE)
endfunction()

# Walks each flow library's link closure; the first screen, form or widget library it reaches
# fails the configuration, naming the chain of links that leads there.
function(vesk_check_flow_libraries)
  get_property(flows GLOBAL PROPERTY VESK_LIBRARIES_OF_KIND_flow)
  foreach(flow IN LISTS flows)
    set(seen ${flow})
    set(queue ${flow})
    set(chains ${flow})
    while(queue)
      list(POP_FRONT queue target)
      list(POP_FRONT chains chain)
      vesk_linked_targets(${target} linked)
      foreach(next IN LISTS linked)
        if(next IN_LIST seen)
          continue()
        endif()
        list(APPEND seen ${next})
        set(path "${chain} -> ${next}")
        get_target_property(kind ${next} VESK_LIBRARY_KIND)
        if(kind MATCHES "^(screen|form|widgets)$")
          message(FATAL_ERROR "The flow library ${flow} links the ${kind} library ${next} (${path}). "
            "A flow is driven by the screens and by the command line alike: move what it needs of ${next} "
            "into the flow or the domain.")
        endif()
        list(APPEND queue ${next})
        list(APPEND chains "${path}")
      endforeach()
    endwhile()
  endforeach()
endfunction()

# Runs the check once the whole project is configured, so that links added later count too.
function(vesk_check_flow_libraries_at_end)
  cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL vesk_check_flow_libraries)
endfunction()
