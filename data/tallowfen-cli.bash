# bash completion for tallowfen-cli                                  -*- shell-script -*-
# Completes sub-commands, their options and arguments: catalog files (*.ctf) where a catalog
# is asked for, folders for the folder or mount point to read, any file for an archive, a
# database's NAME.DSK file for an import, detail levels and layouts for a report. Items inside
# a catalog (set-category) and the values of search criteria are not completed.

_tallowfen_cli_files()
{
    # $1: a glob the files must match (folders are always offered, to walk into)
    local IFS=$'\n'
    compopt -o filenames 2>/dev/null
    if [[ -n $1 ]]; then
        COMPREPLY=($(compgen -d -- "$cur") $(compgen -f -X "!$1" -- "$cur"))
    else
        COMPREPLY=($(compgen -f -- "$cur"))
    fi
}

_tallowfen_cli_dirs()
{
    local IFS=$'\n'
    compopt -o filenames 2>/dev/null
    COMPREPLY=($(compgen -d -- "$cur"))
}

_tallowfen_cli()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local commands="dump drives list-archive scan update categories set-category report import
        search dupes"
    local scanValued="--catalog --name --label --serial --media --fs"
    # every option that takes a value, of any sub-command
    local searchValued="--limit --name-exact --name-part --mask --ext --attr --desc --category
        --flag --size-eq --size-lt --size-gt --size-between --size-not-between --size-tolerance
        --date-field --date-on --date-before --date-after --date-between --date-not-between
        --date-tolerance --time-field --time-at --time-before --time-after --time-between
        --time-not-between --time-tolerance --disk"
    local anyvalued="$scanValued --category --flag --out --item --level --layout --columns
        $searchValued"
    local switches="--archives --no-archives --diz --no-diz --descript-ion --no-descript-ion
        --files-bbs --no-files-bbs --comments --no-comments --keep-current --no-keep-current
        --ignore-hidden-files --no-ignore-hidden-files --ignore-hidden-folders
        --no-ignore-hidden-folders --ignore-recycle --no-ignore-recycle"
    COMPREPLY=()

    # The sub-command, and how many of its arguments come before the word completed.
    local i word cmd="" args=0 skip=""
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        if [[ -n $skip ]]; then
            skip=""
        elif [[ $word == -* ]]; then
            [[ " $anyvalued " == *" $word "* ]] && skip=1
        elif [[ -z $cmd ]]; then
            cmd=$word
        else
            args=$((args + 1))
        fi
    done

    if [[ -z $cmd ]]; then
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W "--help --version" -- "$cur"))
        else
            COMPREPLY=($(compgen -W "$commands" -- "$cur"))
        fi
        return
    fi

    case $cmd in
        scan | update)
            case $prev in
                --catalog) _tallowfen_cli_files '*.ctf'; return ;;
                --media) COMPREPLY=($(compgen -W "0 1 2 3 4 5 7 9 10 11 12 13" -- "$cur")); return ;;
                --name | --label | --serial | --fs) return ;;
            esac
            if [[ $cur == -* ]]; then
                local options="--help $scanValued $switches"
                [[ $cmd == update ]] && options=${options/--catalog /}
                COMPREPLY=($(compgen -W "$options" -- "$cur"))
            elif [[ $cmd == scan ]]; then
                ((args == 0)) && _tallowfen_cli_dirs
            else
                # update CATALOG.ctf DISK ROOT
                case $args in
                    0) _tallowfen_cli_files '*.ctf' ;;
                    2) _tallowfen_cli_dirs ;;
                esac
            fi
            ;;
        dump | list-archive)
            if [[ $cur == -* ]]; then
                COMPREPLY=($(compgen -W "--help" -- "$cur"))
            elif ((args == 0)); then
                if [[ $cmd == dump ]]; then _tallowfen_cli_files '*.ctf'; else _tallowfen_cli_files; fi
            fi
            ;;
        drives)
            [[ $cur == -* ]] && COMPREPLY=($(compgen -W "--help" -- "$cur"))
            ;;
        categories)
            if [[ $cur == -* ]]; then
                COMPREPLY=($(compgen -W "--help --json" -- "$cur"))
            elif ((args == 0)); then
                _tallowfen_cli_files '*.ctf'
            fi
            ;;
        set-category)
            # set-category CATALOG.ctf ITEM... : items are paths inside the catalog
            case $prev in
                --category | --flag) return ;;
            esac
            if [[ $cur == -* ]]; then
                COMPREPLY=($(compgen -W "--help --category --no-category --flag" -- "$cur"))
            elif ((args == 0)); then
                _tallowfen_cli_files '*.ctf'
            fi
            ;;
        report)
            case $prev in
                --out) _tallowfen_cli_files; return ;;
                --level)
                    local level
                    for level in "Catalogs only" "Catalogs and Disks" \
                        "Catalogs, Disks and Folders" "Disks only" "Disks and Folders" \
                        "Disks, Folders and Files" "Folders only" "Folders and Files" \
                        "Full Details"; do
                        [[ $level == "$cur"* ]] && COMPREPLY+=("$(printf '%q' "$level")")
                    done
                    return
                    ;;
                --layout) COMPREPLY=($(compgen -W "columns list" -- "$cur")); return ;;
                --item | --columns) return ;;
            esac
            if [[ $cur == -* ]]; then
                COMPREPLY=($(compgen -W "--help --out --item --level --layout --tabs
                    --separate-subfolders --columns" -- "$cur"))
            elif ((args == 0)); then
                _tallowfen_cli_files '*.ctf'
            fi
            ;;
        search)
            case $prev in
                --date-field) COMPREPLY=($(compgen -W "created modified accessed" -- "$cur")); return ;;
                --time-field) COMPREPLY=($(compgen -W "created modified" -- "$cur")); return ;;
                --*) [[ " $searchValued " == *" $prev "* ]] && return ;;
            esac
            if [[ $cur == -* ]]; then
                COMPREPLY=($(compgen -W "--help $searchValued --files-only --folders-only --any
                    --case --desc-any --desc-none --desc-case --json" -- "$cur"))
            else
                _tallowfen_cli_files '*.ctf'
            fi
            ;;
        dupes)
            if [[ $cur == -* ]]; then
                COMPREPLY=($(compgen -W "--help --name --size --date --attr --include-archives
                    --files-only --folders-only --json" -- "$cur"))
            else
                _tallowfen_cli_files '*.ctf'
            fi
            ;;
        import)
            if [[ $prev == --out ]]; then
                _tallowfen_cli_files '*.ctf'
            elif [[ $cur == -* ]]; then
                COMPREPLY=($(compgen -W "--help --out" -- "$cur"))
            elif ((args == 0)); then
                _tallowfen_cli_files '*.[dD][sS][kK]'
            fi
            ;;
    esac
} &&
    complete -F _tallowfen_cli tallowfen-cli

# ex: filetype=sh
