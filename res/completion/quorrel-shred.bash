# bash completion for quorrel-shred: options, method numbers, folders after --folder, and paths.
# Needs nothing from the bash-completion package; installed as
# share/bash-completion/completions/quorrel-shred, where bash-completion loads it on demand.

_quorrel_shred_paths() {
    # $1: -f for files and folders, -d for folders only; $2: the word typed so far.
    compopt -o filenames 2>/dev/null
    local IFS=$'\n'
    COMPREPLY=($(compgen "$1" -- "$2"))
}

_quorrel_shred() {
    local cur=${COMP_WORDS[COMP_CWORD]}
    local prev=
    ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}
    COMPREPLY=()

    # bash splits "--method=1" at "=": complete the value of either spelling alike.
    if [[ $cur == = ]]; then
        cur=
    elif [[ $prev == = ]] && ((COMP_CWORD > 1)); then
        prev=${COMP_WORDS[COMP_CWORD - 2]}
    fi

    local i
    for ((i = 1; i < COMP_CWORD; i++)); do
        if [[ ${COMP_WORDS[i]} == -- ]]; then
            _quorrel_shred_paths -f "$cur"
            return 0
        fi
    done

    case $prev in
        --method)
            COMPREPLY=($(compgen -W '0 1 2 3' -- "$cur"))
            return 0
            ;;
        --jobs)
            COMPREPLY=($(compgen -W '1 2 4 8 16' -- "$cur"))
            return 0
            ;;
        --folder | --free-space)
            _quorrel_shred_paths -d "$cur"
            return 0
            ;;
    esac

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W '--method --jobs --folder --free-space --recycle-bin --verify --yes --help
                                --version --' -- "$cur"))
        return 0
    fi
    _quorrel_shred_paths -f "$cur"
}

complete -F _quorrel_shred quorrel-shred
