# bash completion for vesk-orv-cli. Plain compgen, so it works without the
# bash-completion package's helpers too.

_vesk_orv_cli_files() {
    # Workbooks and folders; names with spaces stay whole.
    compopt -o filenames 2>/dev/null
    local IFS=$'\n'
    COMPREPLY=($(compgen -d -- "$1") $(compgen -f -X '!*.[xX][lL][sS]' -- "$1")
        $(compgen -f -X '!*.[xX][lL][sS][xX]' -- "$1"))
}

_vesk_orv_cli_folders() {
    compopt -o filenames 2>/dev/null
    local IFS=$'\n'
    COMPREPLY=($(compgen -d -- "$1"))
}

_vesk_orv_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local verbs="inspect sample import-master offices set-office delete-offices import-ctr import-orv
        summary delete-month compare detail unmatched explain note notes open-items statement close reopen closes months sign-off pair unpair pairs rules trend export print office-lists where history check
        backup restore daily-backups passphrase help"
    local valued="--db --rows --sheet --offices --year --month --seed --filter --office --out --status --text --as-of --bank --orv --pdf --prepared --prepared-as --checked --checked-as --approved --approved-as --timing --cross-month --group --candidates --other-office --from --to"
    COMPREPLY=()

    # The verb, its first argument (an export's kind), and how many of its arguments come
    # before the word being completed.
    local verb="" first="" nargs=0 i word
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        if [[ " $valued " == *" $word "* ]]; then
            ((i++))
        elif [[ $word == -* ]]; then
            :
        elif [[ -z $verb ]]; then
            verb=$word
        else
            ((nargs++ == 0)) && first=$word
        fi
    done

    case $prev in
        --db | --pdf)
            compopt -o filenames 2>/dev/null
            local IFS=$'\n'
            COMPREPLY=($(compgen -f -- "$cur"))
            return
            ;;
        --out) _vesk_orv_cli_folders "$cur"; return ;;
        --sheet) COMPREPLY=($(compgen -W "first active" -- "$cur")); return ;;
        --month) COMPREPLY=($(compgen -W "1 2 3 4 5 6 7 8 9 10 11 12" -- "$cur")); return ;;
        --office) COMPREPLY=($(compgen -W "All" -- "$cur")); return ;;
        --status) COMPREPLY=($(compgen -W "open explained resolved" -- "$cur")); return ;;
        --rows | --offices | --year | --seed | --filter | --text | --as-of | --bank | --orv) return ;;
        --prepared | --prepared-as | --checked | --checked-as | --approved | --approved-as) return ;;
        --cross-month | --other-office) COMPREPLY=($(compgen -W "yes no" -- "$cur")); return ;;
        --timing | --group | --candidates | --from | --to) return ;;
    esac

    if [[ -z $verb ]]; then
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W "--db --help --version" -- "$cur"))
        else
            COMPREPLY=($(compgen -W "$verbs" -- "$cur"))
        fi
        return
    fi

    local options=""
    case $verb in
        inspect) options="--rows --sheet" ;;
        sample) options="--offices --rows --year --month --seed" ;;
        import-master | import-ctr | import-orv | set-office | delete-offices | delete-month | backup | restore | close | reopen)
            options="--yes" ;;
        compare) options="--filter" ;;
        explain) options="--matched" ;;
        office-lists) options="--office --out --yes --pdf" ;;
        trend) options="--offices" ;;
        help) options="--markdown --man" ;;
        note) options="--status --text --yes" ;;
        pair) options="--bank --orv --text --accept-difference" ;;
        open-items) options="--as-of" ;;
        statement) options="--items --now" ;;
        sign-off) options="--prepared --prepared-as --checked --checked-as --approved --approved-as" ;;
        check) options="--full" ;;
        passphrase) [[ -z $first || $first == remove ]] && options="--yes" ;;
        rules)
            case $first in
                set) options="--timing --cross-month --group --candidates --other-office --yes" ;;
                try) options="--timing --cross-month --group --candidates --other-office --from --to --lines" ;;
            esac
            ;;
        export)
            case $first in
                consolidated | detailed) options="--office --filter --out --yes" ;;
                unmatched | trend) options="--out --yes" ;;
                explained) options="--out --matched --yes" ;;
                open-items) options="--as-of --out --yes" ;;
                statement) options="--now --out --yes" ;;
            esac
            ;;
        print)
            case $first in
                consolidated | detailed) options="--office --filter --pdf --yes" ;;
                unmatched) options="--pdf --yes" ;;
                explained) options="--matched --pdf --yes" ;;
                open-items) options="--as-of --pdf --yes" ;;
                statement) options="--now --pdf --yes" ;;
            esac
            ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options --help" -- "$cur"))
        return
    fi

    case $verb:$nargs in
        inspect:0 | import-master:0 | import-ctr:0 | import-orv:0) _vesk_orv_cli_files "$cur" ;;
        sample:0) _vesk_orv_cli_folders "$cur" ;;
        summary:0 | delete-month:0) COMPREPLY=($(compgen -W "ctr orv" -- "$cur")) ;;
        delete-month:2) COMPREPLY=($(compgen -W "Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec" -- "$cur")) ;;
        export:0) COMPREPLY=($(compgen -W "consolidated detailed unmatched explained open-items statement trend" -- "$cur")) ;;
        print:0) COMPREPLY=($(compgen -W "consolidated detailed unmatched explained open-items statement" -- "$cur")) ;;
        note:0) COMPREPLY=($(compgen -W "bank orv" -- "$cur")) ;;
        history:0) COMPREPLY=($(compgen -W "ctr orv master pairs closes database" -- "$cur")) ;;
        detail:2 | explain:2 | export:3 | print:3) COMPREPLY=($(compgen -W "All" -- "$cur")) ;;
        backup:0 | restore:0)
            compopt -o filenames 2>/dev/null
            local IFS=$'\n'
            COMPREPLY=($(compgen -f -- "$cur"))
            ;;
        daily-backups:0) COMPREPLY=($(compgen -W "on off" -- "$cur")) ;;
        passphrase:0) COMPREPLY=($(compgen -W "set change remove" -- "$cur")) ;;
        rules:0) COMPREPLY=($(compgen -W "set try" -- "$cur")) ;;
        help:0) COMPREPLY=($(compgen -W "$verbs" -- "$cur")) ;;
    esac
}

complete -F _vesk_orv_cli vesk-orv-cli
