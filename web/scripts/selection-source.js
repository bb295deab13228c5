// The markup of what is selected in the shown document; empty without a selection.
(function () {
    var selection = window.getSelection();
    if (!selection || selection.rangeCount === 0)
        return '';
    var holder = document.createElement('div');
    for (var i = 0; i < selection.rangeCount; ++i)
        holder.appendChild(selection.getRangeAt(i).cloneContents());
    return holder.innerHTML;
})
