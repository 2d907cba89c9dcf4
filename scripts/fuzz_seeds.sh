# The inputs a fuzz target's runs start from, for scripts/fuzz.sh and scripts/fuzz_coverage.sh
# (sourced from the repository's root): its own seeds under fuzz/seeds/TARGET/, then the shipped
# and test files that fit it. One path a line; a later file of the same name takes the place of
# an earlier one in a corpus folder.
seed_files() {
  local target="$1"
  [ -d "fuzz/seeds/$target" ] && find "fuzz/seeds/$target" -type f | sort
  case "$target" in
    fuzz_conversion|fuzz_report) find examples -maxdepth 1 -name '*.nc' | sort
                                 find tests/data -name '*.nc' -size -8k ;;
    fuzz_settings_store) find tests/data -iname '*.ini' ;;
    fuzz_tool_table_file) find examples -maxdepth 1 -name '*.dat' | sort
                          find tests/data -iname '*.dat' ;;
  esac
  return 0
}
